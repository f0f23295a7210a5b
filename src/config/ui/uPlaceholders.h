#pragma once
// The placeholders of window texts and action parameters and the project's values for them.
#include <string>

namespace ky {

class TKyCProject;

// Every "<ScreensaverName>", "<CompanyName>" and "<Website>" (case-sensitive, in that order)
// replaced by the project's product name, publisher and web site. The values go in as they are
// (an apostrophe stays one apostrophe).
std::string ReplacePlaceholders(const std::string& text, const TKyCProject& project);

// An action parameter: replaced line by line, each line followed by CR LF (the last one too).
std::string ReplacePlaceholdersInLines(const std::string& text, const TKyCProject& project);

}  // namespace ky
