#include "scene/model/uCommaText.h"

namespace ky {

namespace {
bool IsBlank(char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::vector<std::string> SplitCommaText(std::string_view text) {
  // The text ends at a NUL byte, as a C string would.
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> items;
  size_t p = 0;
  const size_t n = text.size();
  auto skipBlanks = [&] {
    while (p < n && IsBlank(text[p])) ++p;
  };
  skipBlanks();
  while (p < n) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      const size_t start = p;
      while (p < n && static_cast<unsigned char>(text[p]) > ' ' && text[p] != ',') ++p;
      item.assign(text.substr(start, p - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (p < n && text[p] == ',') {
      // A comma that ends the text still separates an empty last item.
      if (p + 1 == n) items.emplace_back();
      ++p;
      skipBlanks();
    }
  }
  return items;
}

std::string JoinCommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ',';
    const std::string& s = items[i];
    bool quote = false;
    for (char c : s)
      if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',') quote = true;
    if (!quote) {
      out += s;
      continue;
    }
    out += '"';
    for (char c : s) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

}  // namespace ky
