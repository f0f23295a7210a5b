#include "uJson.h"

#include <cstdio>

#include "platform/uText.h"

namespace ky {

std::string JsonEscape(std::string_view raw) {
  const std::string text = DisplayText(raw);
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

void TJsonWriter::Separate() {
  if (FAfterKey) {
    FAfterKey = false;
    return;
  }
  if (!FFirst.empty()) {
    if (!FFirst.back()) FOut += ',';
    FFirst.back() = false;
  }
}

TJsonWriter& TJsonWriter::BeginObject() { Separate(); FOut += '{'; FFirst.push_back(true); return *this; }
TJsonWriter& TJsonWriter::EndObject() { FOut += '}'; FFirst.pop_back(); return *this; }
TJsonWriter& TJsonWriter::BeginArray() { Separate(); FOut += '['; FFirst.push_back(true); return *this; }
TJsonWriter& TJsonWriter::EndArray() { FOut += ']'; FFirst.pop_back(); return *this; }
TJsonWriter& TJsonWriter::Key(std::string_view k) { Separate(); FOut += JsonEscape(k); FOut += ':'; FAfterKey = true; return *this; }
TJsonWriter& TJsonWriter::String(std::string_view v) { Separate(); FOut += JsonEscape(v); return *this; }
TJsonWriter& TJsonWriter::Int(int64_t v) { Separate(); FOut += std::to_string(v); return *this; }
TJsonWriter& TJsonWriter::Bool(bool v) { Separate(); FOut += v ? "true" : "false"; return *this; }
TJsonWriter& TJsonWriter::Raw(std::string_view json) { Separate(); FOut += json; return *this; }

}  // namespace ky
