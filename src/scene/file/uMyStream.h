#pragma once
// Plain sequential binary reader over a scene file (or over bytes already in memory).
// Every short read raises EInOutError; nothing is allocated for a length that the rest of the
// input cannot hold.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace ky {

// Any failure to read a scene file; its text is what a caller may show.
class ESceneFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The input ended early or could not be read.
class EInOutError : public ESceneFileError {
 public:
  using ESceneFileError::ESceneFileError;
};

// The bytes were read but break the format's rules.
class EMalformedScene : public ESceneFileError {
 public:
  explicit EMalformedScene(const std::string& what) : ESceneFileError("Malformed scene file: " + what) {}
};

class TMyStream {
 public:
  // Opens a regular file for reading; throws EInOutError when that is not possible.
  explicit TMyStream(const std::string& fileName);
  // Reads from a copy of the given bytes.
  explicit TMyStream(std::vector<uint8_t> bytes);
  ~TMyStream();
  TMyStream(const TMyStream&) = delete;
  TMyStream& operator=(const TMyStream&) = delete;

  void Read(void* buffer, size_t count);
  int32_t ReadInt32();
  // count bytes into a buffer of exactly that size; a negative count or one beyond the end of
  // the input raises EInOutError before anything is allocated.
  std::vector<uint8_t> ReadBlock(int64_t count);
  // int32 length followed by that many bytes.
  std::string ReadString();
  // The 8-byte magic, as text.
  std::string ReadMagic();

  uint64_t Size() const { return FSize; }
  uint64_t Position() const { return FPos; }
  uint64_t Remaining() const { return FSize - FPos; }
  bool AtEnd() const { return FPos >= FSize; }

 private:
  void Need(int64_t count) const;

  int FFd = -1;
  std::vector<uint8_t> FBytes;
  uint64_t FSize = 0;
  uint64_t FPos = 0;
};

}  // namespace ky
