#pragma once
// The saver package: a marker, a 32-bit section count, then each section as a 32-bit length and
// its bytes (little-endian, no padding). The same container nests for the project texts and for
// the media bundle.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ky {

constexpr size_t kMarkerLength = 13;

// The marker, rebuilt at run time from its stored form (each byte one less), so that the player
// executable never holds the marker itself.
std::string PackageMarker();

// Feeds bytes through the marker match. The match index carries across calls, and a byte that
// breaks a partial match is not tested again as a first marker byte.
class TMarkerScanner {
 public:
  TMarkerScanner();
  // Returns the number of bytes of data consumed up to and including the last marker byte, or
  // npos when the marker did not complete inside data.
  size_t Feed(const unsigned char* data, size_t size);
  // The match index (0 = no partial match) after the bytes fed so far.
  size_t MatchIndex() const { return FMatch; }
  // The marker byte the next byte is compared with.
  unsigned char Expected() const { return static_cast<unsigned char>(FMarker[FMatch]); }
  static constexpr size_t npos = static_cast<size_t>(-1);

 private:
  std::string FMarker;
  size_t FMatch = 0;
};

struct TPackageInfo {
  bool Found = false;
  uint64_t Offset = 0;     // offset of the byte just past the marker
  int32_t FirstValue = 0;  // the section count (0 when fewer than 4 bytes follow)
};

// Scans the file for the first marker, reading chunkSize bytes at a time. Throws TKyError
// naming the file when it cannot be opened.
TPackageInfo FindPackage(const std::string& path, size_t chunkSize = 64 * 1024);
// The same scan over bytes in memory.
TPackageInfo FindPackageInMemory(std::string_view data);

// A file name for an extracted file, or empty when the stored name cannot be used: the file-name
// part of the stored name, refused when empty, ".", "..", holding a control character, or longer
// than 255 bytes.
std::string SafeMediaName(std::string_view storedName);

// Where section k goes: a file `name` created inside the open folder `dirFd`; an empty name
// means the section's bytes are read and discarded.
struct TSectionDestination {
  int DirFd = -1;
  std::string Name;
};

// Copies the package's sections, in order, to the destinations; sections beyond the
// destinations are left alone. A negative length counts as 0 and a length past the end copies
// what is there. An existing regular file or symlink of the same name is removed first and the
// new file is created exclusively, never following a link.
struct TExtractResult {
  bool Found = false;   // the file holds a package
  size_t Sections = 0;  // sections read (copied or discarded)
};
// With begin and end, only that part of the file is the package's world: the scan starts at
// begin, and no section reaches past end (a nested package read in place).
TExtractResult ExtractSections(const std::string& path, const std::vector<TSectionDestination>& destinations,
                               uint64_t begin = 0, uint64_t end = UINT64_MAX);

// The sections of a package held in memory (for the small nested project package).
std::vector<std::string> ReadSectionsInMemory(std::string_view data);

// Where the sections of a package lie in a file, without copying them (for inspection).
struct TSectionSpan {
  uint64_t Offset = 0;    // file offset of the section's data
  uint64_t Length = 0;    // bytes actually present
  int64_t Declared = 0;   // the length the package states
};
struct TPackageLayout {
  TPackageInfo Info;
  std::vector<TSectionSpan> Sections;
  bool Truncated = false;  // the file ends before the stated sections do
};
// The first package found between begin and end of the file, with no more than maxSections of
// its sections: a count can claim two thousand million of them.
TPackageLayout ReadPackageLayout(const std::string& path, uint64_t begin = 0, uint64_t end = UINT64_MAX,
                                 size_t maxSections = SIZE_MAX);

// The most media files one saver may carry; a saver listing more is refused.
constexpr size_t kMaxMediaFiles = 10000;
// Reads length bytes at offset; throws TKyError naming the file when they are not there.
std::string ReadFileRange(const std::string& path, uint64_t offset, uint64_t length);

// Builds a package from sections (the authoring side).
std::string BuildPackage(const std::vector<std::string>& sections);

// Bytes to put between a file and a package appended to it, given the scanner that has read the
// whole file: when the file ends inside a partial match, that match would swallow the marker's
// first byte, so one byte that breaks the match goes first.
std::string PaddingBeforePackage(const TMarkerScanner& afterFile);

// Reads a whole small file; throws TKyError naming the file when it cannot be read or is larger
// than maxBytes.
std::string ReadWholeFile(const std::string& path, size_t maxBytes);

}  // namespace ky
