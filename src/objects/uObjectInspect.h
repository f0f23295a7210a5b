#pragma once
// What the objects of a scene hold, for the authoring tool: every object's keys as loaded
// (defaults applied), in the order the object writes them.
#include <string>

namespace ky {

// A JSON array: one object per loaded object, {"Index":n,"ObjType":..,"Filename":..,key:value...};
// integer values as numbers, texts as strings; "Filename" as stored. The position keys "Left" and "Top", which a
// loaded object never reads, are left out.
std::string ObjectsJson(const std::string& objectText);

}  // namespace ky
