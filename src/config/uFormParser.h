#pragma once
// The recursive-descent parser of the property-text format: one window text (or any text form
// file of the same format) into the plain tree of uFormTree.h.
#include <string>
#include <string_view>

#include "config/uFormTree.h"

namespace ky {

// Objects, lists and collections nested deeper than this are refused: the parser recurses once
// per level, and real windows stay far below it.
constexpr int kMaxFormDepth = 100;

// The root object of text (UTF-8, or 8-bit text decoded as the description file is). Throws
// EFormSyntax "FILE:LINE:COLUMN: what was expected" on anything outside the grammar, on nesting
// deeper than kMaxFormDepth, and on a binary form file (one that starts with "TPF0").
// firstLine is the line number of the text's first line, for a window text inside a larger file.
TFormObject ParseFormText(std::string_view text, const std::string& fileName, int firstLine = 1);

}  // namespace ky
