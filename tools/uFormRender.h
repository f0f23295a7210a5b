#pragma once
// kysaver-tool ui FILE --window NAME --png OUT.png: one window of a description drawn off
// screen.
#include <string>
#include <vector>

namespace ky {

// FILE is a description file or one window text (then NAME is that window's name). Returns the
// problems met while loading (windows left out), one line each. Throws TKyError or EFormSyntax
// when the window cannot be built or the picture cannot be written.
std::vector<std::string> RenderWindowPng(const std::string& file, const std::string& windowName, const std::string& png);

}  // namespace ky
