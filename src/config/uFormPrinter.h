#pragma once
// Writes a tree of uFormTree.h back as property text: two blanks per level, strings longer than
// a line split into pieces joined by " +", data as hexadecimal over lines of 64 digits. Parsing
// the result gives the same tree (positions apart).
#include <string>
#include <string_view>
#include <vector>

#include "config/uFormTree.h"

namespace ky {

// The lines of the text, without line ends. Throws TKyError on a value that the format cannot
// hold (a float that is not finite).
std::vector<std::string> PrintFormLines(const TFormObject& root);

// The lines, each ended by lineBreak.
std::string PrintFormText(const TFormObject& root, std::string_view lineBreak = "\r\n");

}  // namespace ky
