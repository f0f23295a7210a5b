#include "uText.h"

namespace ky {

std::string FileNamePart(std::string_view name) {
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) return std::string(name.substr(slash + 1));
  if (name.size() >= 2 && name[1] == ':' &&
      ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
    return std::string(name.substr(2));
  return std::string(name);
}

std::string UpperCaseAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) { ++i; continue; }
    size_t len;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1Fu; }
    else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0Fu; }
    else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07u; }
    else return false;
    if (i + len > n) return false;
    for (size_t k = 1; k < len; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0u) != 0x80u) return false;
      cp = (cp << 6) | (d & 0x3Fu);
    }
    // Overlong forms, surrogates and values above U+10FFFF are not UTF-8.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += len;
  }
  return true;
}

namespace {
// Windows-1252 0x80..0x9F; the five undefined positions map to the C1 control of the same value,
// as Windows's own conversion does, so every byte has a character.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}
}  // namespace

std::string DisplayText(std::string_view s) {
  if (IsValidUtf8(s)) return std::string(s);
  std::string out;
  out.reserve(s.size() * 2);
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    AppendUtf8(out, (c >= 0x80 && c <= 0x9F) ? kCp1252High[c - 0x80] : c);
  }
  return out;
}

uint32_t ControlCharacterAt(std::string_view t, size_t i, size_t& length) {
  length = 0;
  if (i >= t.size()) return 0;
  auto at = [&](size_t k) { return i + k < t.size() ? static_cast<unsigned char>(t[i + k]) : 0u; };
  const unsigned c = at(0), c1 = at(1), c2 = at(2);
  uint32_t control = 0;
  if (c < 0x20 || c == 0x7F) {
    length = 1, control = c;
  } else if (c == 0xC2 && c1 >= 0x80 && c1 <= 0x9F) {
    length = 2, control = c1;  // C1
  } else if (c == 0xD8 && c1 == 0x9C) {
    length = 2, control = 0x061C;  // Arabic letter mark
  } else if (c == 0xE2 && ((c1 == 0x80 && (c2 == 0x8E || c2 == 0x8F || (c2 >= 0xAA && c2 <= 0xAE))) ||
                           (c1 == 0x81 && c2 >= 0xA6 && c2 <= 0xA9))) {
    // Marks, embeddings, overrides and isolates: U+200E-200F, U+202A-202E, U+2066-2069.
    length = 3, control = 0x2000 | ((c1 & 0x3F) << 6) | (c2 & 0x3F);
  }
  return control;
}

namespace {
const char kHex[] = "0123456789abcdef";

std::string Hex(uint32_t v, int digits) {
  std::string out;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[(v >> shift) & 15];
  return out;
}
}  // namespace

std::string JsonString(std::string_view raw) {
  const std::string text = DisplayText(raw);
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const char ch = text[i];
    size_t length = 0;
    const uint32_t control = ControlCharacterAt(text, i, length);
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (length > 0) {
          out += "\\u" + Hex(control, 4);
          i += length;
          continue;
        }
        out += ch;
    }
    ++i;
  }
  return out + "\"";
}

std::string TerminalText(std::string_view raw) {
  const std::string text = DisplayText(raw);  // always UTF-8
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t length = 0;
    const uint32_t control = ControlCharacterAt(text, i, length);
    if (length == 0) {
      out += text[i++];
      continue;
    }
    out += control <= 0xFF ? "\\x" + Hex(control, 2) : "\\u{" + Hex(control, 4) + "}";
    i += length;
  }
  return out;
}

std::string UnixLineBreaks(std::string text) {
  for (size_t p = 0; (p = text.find("\r\n", p)) != std::string::npos; ++p) text.replace(p, 2, "\n");
  return text;
}

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::optional<int32_t> ParseInteger(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  bool hex = false;
  if (i < s.size() && s[i] == '$') { hex = true; ++i; }
  if (i >= s.size()) return std::nullopt;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    v = v * (hex ? 16 : 10) + d;
    // Hexadecimal may fill all 32 bits ($FFFFFFFF is -1); decimal must fit the signed range.
    if (v > (hex ? int64_t{0xFFFFFFFF} : int64_t{0x80000000})) return std::nullopt;
  }
  if (hex) {
    int32_t r = static_cast<int32_t>(static_cast<uint32_t>(v));
    return neg ? static_cast<int32_t>(0u - static_cast<uint32_t>(r)) : r;
  }
  if (neg) return static_cast<int32_t>(-v);
  if (v > 0x7FFFFFFF) return std::nullopt;
  return static_cast<int32_t>(v);
}

}  // namespace ky
