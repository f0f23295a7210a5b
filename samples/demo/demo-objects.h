#pragma once
// The lake scene's animated objects, drawn at build time: a sailing boat (an animated GIF)
// crossing the lake and a bird (a PNG with alpha) bouncing about the sky, with the object text
// that places them (lake-objects.ini).
#include <string>

namespace demo {

// Writes boat.gif, bird.png and lake-objects.ini into dir; throws std::runtime_error naming a
// file that cannot be written.
void WriteLakeObjects(const std::string& dir);

}  // namespace demo
