#pragma once
// The configuration windows a saver gets when its manifest names no window description:
// "MainWindow", a frameless skin with a picture preview and painted buttons bound through the
// action table, and "ThumbnailWindow", a framed window with the thumbnail grid.
#include <string>
#include <vector>

#include "config/uKyForms.h"
#include "uDefaultSkin.h"

namespace ky {

// The layout of the main window's skin for a saver of that name.
TSkinLayout DefaultSkinLayout(const std::string& saverName);

// The two windows as trees with their action tables (the skin drawn and stored as JPEG picture
// data).
std::vector<TFormSource> DefaultWindows(const std::string& saverName);

// The description file of DefaultWindows.
std::string DefaultDescriptionFile(const std::string& saverName);

}  // namespace ky
