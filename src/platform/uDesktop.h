#pragma once
// Asking the desktop to do things for the program. Nothing here fails loudly: a desktop that
// does not answer is a normal situation (no session, a headless machine, another desktop).
#include <string>
#include <vector>

namespace ky {

// Runs a program (looked up in PATH, no shell) with the given arguments and waits at most
// timeoutMs for it. Returns true when it ran and exited with status 0; its standard output
// goes to *output when given. Standard error is discarded.
bool RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr, int timeoutMs = 5000);

// Shows the picture file as the desktop wallpaper, not tiled, keeping the desktop's own
// scaling style: GNOME-like desktops through gsettings, else Xfce through xfconf-query.
// Returns whether some desktop took it.
bool SetDesktopWallpaper(const std::string& path);

// "file://" URI of an absolute path, with every byte outside the unreserved set and "/"
// percent-encoded.
std::string FileUri(const std::string& absolutePath);

}  // namespace ky
