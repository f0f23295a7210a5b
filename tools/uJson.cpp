#include "uJson.h"

#include "platform/uText.h"

namespace ky {

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
TJsonWriter& TJsonWriter::Key(std::string_view k) { Separate(); FOut += JsonString(k); FOut += ':'; FAfterKey = true; return *this; }
TJsonWriter& TJsonWriter::String(std::string_view v) { Separate(); FOut += JsonString(v); return *this; }
TJsonWriter& TJsonWriter::Int(int64_t v) { Separate(); FOut += std::to_string(v); return *this; }
TJsonWriter& TJsonWriter::Bool(bool v) { Separate(); FOut += v ? "true" : "false"; return *this; }
TJsonWriter& TJsonWriter::Raw(std::string_view json) { Separate(); FOut += json; return *this; }

}  // namespace ky
