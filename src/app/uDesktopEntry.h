#pragma once
// The desktop entry that puts a saver's configuration window in the desktop's menu of
// applications (freedesktop.org desktop entry files).
#include <string>

namespace ky {

// The file name for a product: "kysaver-" and the product name's letters, digits, "-" and "_"
// (any other run of characters becomes one "-"), then ".desktop"; the saver's base name when
// the product name leaves nothing. suffix (2, 3, ...) tells apart two savers of the same name.
std::string DesktopEntryFileName(const std::string& productName, const std::string& saverPath, int suffix = 1);

// The entry: named after the product, it runs the saver with /C. Throws TKyError for a path
// with a line break or another control character.
std::string DesktopEntryText(const std::string& productName, const std::string& saverPath);

// true when the entry text was written for the saver at saverPath.
bool IsDesktopEntryOf(const std::string& text, const std::string& saverPath);

}  // namespace ky
