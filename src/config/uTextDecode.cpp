#include "uTextDecode.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "platform/uError.h"
#include "platform/uText.h"

namespace ky {

namespace {

void AppendCodePoint(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Code units in pairs of bytes; surrogates are paired, a lone one becomes U+FFFD, as does a
// last odd byte.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t i) -> uint32_t {
    const auto a = static_cast<uint8_t>(bytes[2 * i]), b = static_cast<uint8_t>(bytes[2 * i + 1]);
    return bigEndian ? (uint32_t{a} << 8 | b) : (uint32_t{b} << 8 | a);
  };
  for (size_t i = 0; i < units; ++i) {
    const uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      AppendCodePoint(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendCodePoint(out, 0xFFFD);
    } else {
      AppendCodePoint(out, u);
    }
  }
  if (bytes.size() % 2) AppendCodePoint(out, 0xFFFD);
  return out;
}

}  // namespace

std::string DecodeTextBytes(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return DisplayText(bytes.substr(3));
  if (bytes.substr(0, 2) == "\xFF\xFE") return DecodeUtf16(bytes.substr(2), false);
  if (bytes.substr(0, 2) == "\xFE\xFF") return DecodeUtf16(bytes.substr(2), true);
  return DisplayText(bytes);
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TKyError(path + ": cannot be opened (" + std::strerror(errno) + ")");
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) throw TKyError(path + ": cannot be read");
  if (static_cast<uint64_t>(size) > kMaxFormFileBytes) throw TKyError(path + ": file too large");
  in.seekg(0);
  std::string bytes(static_cast<size_t>(size), '\0');
  if (!in.read(bytes.data(), size)) throw TKyError(path + ": cannot be read");
  return DecodeTextBytes(bytes);
}

}  // namespace ky
