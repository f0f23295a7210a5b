#pragma once
// The lines of an INI text as the authoring checks see them, each with its line number, so that
// a message can name the line. Comments (";" or "#") and blank lines are left out.
#include <cstddef>
#include <string>
#include <vector>

namespace ky {

struct TIniLine {
  enum class TKind { Section, Key, Text, BadSection };
  size_t Number = 0;    // 1-based
  TKind Kind = TKind::Text;
  std::string Section;  // the section the line is in (for a Section line: its own name), as written
  std::string Key;      // Key lines: the trimmed text before the first "="
  std::string Value;    // Key lines: the trimmed text after it; Text lines: the whole trimmed line
};

std::vector<TIniLine> ReadIniLines(const std::string& text);

}  // namespace ky
