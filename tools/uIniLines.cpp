#include "uIniLines.h"

#include "platform/uText.h"

namespace ky {

std::vector<TIniLine> ReadIniLines(const std::string& text) {
  std::vector<TIniLine> out;
  const std::vector<std::string> lines = SplitLines(text);
  std::string section;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = Trim(lines[i]);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    TIniLine l;
    l.Number = i + 1;
    if (line.front() == '[') {
      if (line.back() != ']') {
        l.Kind = TIniLine::TKind::BadSection;
        l.Section = section;
        l.Value = std::string(line);
      } else {
        l.Kind = TIniLine::TKind::Section;
        section = std::string(Trim(line.substr(1, line.size() - 2)));
        l.Section = section;
      }
      out.push_back(std::move(l));
      continue;
    }
    l.Section = section;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      l.Kind = TIniLine::TKind::Text;
      l.Value = std::string(line);
    } else {
      l.Kind = TIniLine::TKind::Key;
      l.Key = std::string(Trim(line.substr(0, eq)));
      l.Value = std::string(Trim(line.substr(eq + 1)));
    }
    out.push_back(std::move(l));
  }
  return out;
}

}  // namespace ky
