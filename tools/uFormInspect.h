#pragma once
// kysaver-tool ui: what a window description file or a single window text holds, for authors.
#include <string>
#include <vector>

#include "config/uFormTree.h"

namespace ky {

struct TFormReport {
  std::string Output;                 // the report for stdout (text or one JSON object)
  std::vector<std::string> Problems;  // windows left out while loading, one line each
};

// True when the text (decoded) is a description file: its first non-blank line is a count.
bool LooksLikeDescriptionFile(const std::string& decodedText);

// Reads FILE, a description file or one window text (told apart by content), and reports each
// window's name, action table and object tree. Throws EFormSyntax for a window text outside the
// grammar (line and column within FILE) and TKyError for a file or frame that cannot be read.
TFormReport InspectWindowFile(const std::string& path, bool json);

// One object tree as JSON: {"Kind", "Name", "Class", "Line", "Properties": [[name, VALUE], ...],
// "Children": [...]}.
std::string FormTreeJson(const TFormObject& root);

}  // namespace ky
