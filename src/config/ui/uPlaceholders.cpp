#include "config/ui/uPlaceholders.h"

#include "package/uCreatorProject.h"

namespace ky {

namespace {

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

}  // namespace

std::string ReplacePlaceholders(const std::string& text, const TKyCProject& project) {
  std::string out = text;
  ReplaceAll(out, "<ScreensaverName>", project.Setting().ProductName);
  ReplaceAll(out, "<CompanyName>", project.Setting().Publisher);
  ReplaceAll(out, "<Website>", project.Setting().Website);
  return out;
}

std::string ReplacePlaceholdersInLines(const std::string& text, const TKyCProject& project) {
  std::string out;
  size_t start = 0;
  // Lines end at CR LF, CR or LF; an empty text has no line at all.
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    out += ReplacePlaceholders(line, project) + "\r\n";
    if (end == std::string::npos) break;
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return out;
}

}  // namespace ky
