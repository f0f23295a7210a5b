#pragma once
// A small streaming JSON writer for the tool's reports. Texts from packages are 8-bit; they are
// decoded for display (UTF-8 when valid, else Windows-1252) before they are escaped.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ky {

class TJsonWriter {
 public:
  TJsonWriter& BeginObject();
  TJsonWriter& EndObject();
  TJsonWriter& BeginArray();
  TJsonWriter& EndArray();
  TJsonWriter& Key(std::string_view k);
  TJsonWriter& String(std::string_view v);
  TJsonWriter& Int(int64_t v);
  TJsonWriter& Bool(bool v);
  // Writes already formed JSON (e.g. a report from another unit) as the next value.
  TJsonWriter& Raw(std::string_view json);
  const std::string& Text() const { return FOut; }

 private:
  void Separate();
  std::string FOut;
  std::vector<bool> FFirst;  // per open container: nothing written yet
  bool FAfterKey = false;
};

}  // namespace ky
