#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "package/uPackage.h"
#include "platform/uError.h"
#include "testutil.h"

using namespace ky;
using kytest::TTempDir;

namespace {

std::string Le32(int32_t v) {
  std::string s(4, '\0');
  for (int k = 0; k < 4; ++k) s[k] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * k)) & 0xFF);
  return s;
}

// A raw package: marker, count, then (length, bytes) pairs exactly as given.
std::string RawPackage(int32_t count, const std::vector<std::pair<int32_t, std::string>>& sections) {
  std::string s = PackageMarker() + Le32(count);
  for (const auto& [len, bytes] : sections) s += Le32(len) + bytes;
  return s;
}

struct TOpenDir {
  int fd;
  explicit TOpenDir(const std::string& p) : fd(open(p.c_str(), O_RDONLY | O_DIRECTORY)) {}
  ~TOpenDir() { close(fd); }
};

}  // namespace

TEST(PackageMarker, IsThirteenBytesAndAbsentFromThePlayer) {
  const std::string m = PackageMarker();
  ASSERT_EQ(m.size(), kMarkerLength);
  // The bytes saver authors' tools write (docs/saver-format.md).
  EXPECT_EQ(m, std::string("\xA7KySapaCka!\x19\xC3"));
  // Its first byte occurs nowhere else in it, so a partial match cannot overlap itself.
  EXPECT_EQ(m.find(m[0], 1), std::string::npos);
  EXPECT_FALSE(FindPackage(KY_BINARY_DIR "/bin/kysaver").Found);
}

TEST(FindPackage, FindsAMarkerStraddlingTwoReads) {
  TTempDir dir;
  for (size_t start : {size_t{0}, size_t{990}, size_t{995}, size_t{1000}, size_t{1001}, size_t{2002 - 6}}) {
    std::string data(start, 'x');
    data += RawPackage(7, {});
    kytest::WriteFile(dir / "p", data);
    for (size_t chunk : {size_t{1001}, size_t{1}, size_t{5}, size_t{64 * 1024}}) {
      const TPackageInfo info = FindPackage(dir / "p", chunk);
      ASSERT_TRUE(info.Found) << start << " " << chunk;
      EXPECT_EQ(info.Offset, start + kMarkerLength);
      EXPECT_EQ(info.FirstValue, 7);
    }
  }
}

TEST(FindPackage, ByteThatBreaksAPartialMatchIsNotRetested) {
  const std::string m = PackageMarker();
  // Five marker bytes, then the marker: the marker's first byte breaks the partial match and is
  // consumed by it, so this marker is missed.
  EXPECT_FALSE(FindPackageInMemory(m.substr(0, 5) + m + Le32(1)).Found);
  // One byte between them ends the partial match first.
  const TPackageInfo info = FindPackageInMemory(m.substr(0, 5) + "?" + m + Le32(1));
  ASSERT_TRUE(info.Found);
  EXPECT_EQ(info.Offset, 6 + kMarkerLength);
  // A complete marker after a missed one is still found.
  EXPECT_TRUE(FindPackageInMemory(m.substr(0, 5) + m + "?" + m).Found);
  // The writer's padding makes a file that ends inside a partial match safe to append to.
  TMarkerScanner scan;
  const std::string tail = "player" + m.substr(0, 9);
  scan.Feed(reinterpret_cast<const unsigned char*>(tail.data()), tail.size());
  ASSERT_EQ(scan.MatchIndex(), 9u);
  const std::string padded = tail + PaddingBeforePackage(scan) + m;
  EXPECT_EQ(FindPackageInMemory(padded).Offset, padded.size());
  EXPECT_TRUE(PaddingBeforePackage(TMarkerScanner()).empty());
}

TEST(FindPackage, MissingFileIsAnErrorNamingIt) {
  try {
    FindPackage("/nonexistent/ky-saver.scr");
    FAIL();
  } catch (const TKyError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/ky-saver.scr"), std::string::npos);
  }
}

TEST(ExtractSections, CountsAndLengths) {
  TTempDir dir;
  const TOpenDir out(dir.Path());
  struct {
    const char* what;
    std::string package;
    std::vector<const char*> expected;  // contents of a, b, c; nullptr: no file
  } cases[] = {
      {"no sections", RawPackage(0, {}), {nullptr, nullptr, nullptr}},
      {"empty section", RawPackage(2, {{0, ""}, {3, "xyz"}}), {"", "xyz", nullptr}},
      {"negative length counts as 0", RawPackage(2, {{-5, ""}, {2, "ok"}}), {"", "ok", nullptr}},
      {"length past the end", RawPackage(2, {{1, "1"}, {100, "short"}}), {"1", "short", nullptr}},
      {"more sections than destinations", RawPackage(4, {{1, "a"}, {1, "b"}, {1, "c"}, {1, "d"}}), {"a", "b", "c"}},
      {"count larger than the file", RawPackage(1000000, {{1, "a"}}), {"a", nullptr, nullptr}},
      {"negative count", RawPackage(-1, {{1, "a"}}), {nullptr, nullptr, nullptr}},
  };
  for (const auto& c : cases) {
    for (const char* n : {"a", "b", "c"}) unlink((dir / n).c_str());
    kytest::WriteFile(dir / "pkg", "header" + c.package);
    ExtractSections(dir / "pkg", {{out.fd, "a"}, {out.fd, "b"}, {out.fd, "c"}});
    const char* names[] = {"a", "b", "c"};
    for (int k = 0; k < 3; ++k) {
      if (c.expected[k]) EXPECT_EQ(kytest::ReadFile(dir / names[k]), c.expected[k]) << c.what << " " << names[k];
      else EXPECT_FALSE(kytest::Exists(dir / names[k])) << c.what << " " << names[k];
    }
  }
}

TEST(ExtractSections, UnusableDestinationDiscardsItsBytesOnly) {
  TTempDir dir;
  const TOpenDir out(dir.Path());
  mkdir((dir / "taken").c_str(), 0700);
  kytest::WriteFile(dir / "pkg", RawPackage(3, {{4, "AAAA"}, {4, "BBBB"}, {4, "CCCC"}}));
  ExtractSections(dir / "pkg", {{out.fd, "first"}, {out.fd, "taken"}, {out.fd, ""}});
  EXPECT_EQ(kytest::ReadFile(dir / "first"), "AAAA");
  kytest::WriteFile(dir / "pkg", RawPackage(3, {{4, "AAAA"}, {4, "BBBB"}, {4, "CCCC"}}));
  ExtractSections(dir / "pkg", {{out.fd, "taken"}, {out.fd, ""}, {out.fd, "third"}});
  EXPECT_EQ(kytest::ReadFile(dir / "third"), "CCCC");
}

TEST(ExtractSections, NestedPackageReadInPlaceStaysInsideItsRange) {
  TTempDir dir;
  const TOpenDir out(dir.Path());
  // The inner package claims 100 bytes for its second section but its range ends after 3.
  const std::string inner = RawPackage(2, {{2, "ab"}, {100, "cde"}});
  const std::string outer = "player" + RawPackage(2, {{static_cast<int32_t>(inner.size()), inner}, {6, "AFTER!"}});
  kytest::WriteFile(dir / "exe", outer);
  const uint64_t begin = outer.find(inner);
  const TExtractResult r = ExtractSections(dir / "exe", {{out.fd, "one"}, {out.fd, "two"}}, begin, begin + inner.size());
  EXPECT_TRUE(r.Found);
  EXPECT_EQ(r.Sections, 2u);
  EXPECT_EQ(kytest::ReadFile(dir / "one"), "ab");
  EXPECT_EQ(kytest::ReadFile(dir / "two"), "cde");
  // A range without a marker holds no package.
  EXPECT_FALSE(ExtractSections(dir / "exe", {{out.fd, "x"}}, 0, 6).Found);
}

TEST(ExtractSections, ReplacesAPlantedLinkWithoutFollowingIt) {
  TTempDir dir;
  mkdir((dir / "work").c_str(), 0700);
  kytest::WriteFile(dir / "outside", "precious");
  symlink((dir / "outside").c_str(), (dir / "work/bird.gif").c_str());
  const TOpenDir out(dir / "work");
  kytest::WriteFile(dir / "pkg", RawPackage(2, {{3, "one"}, {3, "two"}}));
  // The same name twice: the later section replaces the earlier file.
  ExtractSections(dir / "pkg", {{out.fd, "bird.gif"}, {out.fd, "bird.gif"}});
  EXPECT_EQ(kytest::ReadFile(dir / "outside"), "precious");
  EXPECT_EQ(kytest::ReadFile(dir / "work/bird.gif"), "two");
  struct stat st {};
  ASSERT_EQ(lstat((dir / "work/bird.gif").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST(SafeMediaName, ReducesToTheFileNameAndRefusesHostileNames) {
  const struct { std::string in, out; } cases[] = {
      {"KyImage0.kyp", "KyImage0.kyp"},
      {"C:\\Documents and Settings\\Author\\Objects\\bird.gif", "bird.gif"},
      {"../../etc/passwd", "passwd"},
      {"..\\..\\x.jpg", "x.jpg"},
      {"", ""}, {".", ""}, {"..", ""}, {"dir/..", ""}, {"C:", ""}, {"dir\\", ""},
      {std::string("a\0b", 3), ""}, {"tab\there", ""}, {"bell\x07", ""}, {"del\x7F", ""},
      {std::string(255, 'n'), std::string(255, 'n')}, {std::string(256, 'n'), ""},
      {"M\xFCller.jpg", "M\xFCller.jpg"},
  };
  for (const auto& c : cases) EXPECT_EQ(SafeMediaName(c.in), c.out) << c.in;
}

TEST(PackageLayout, RoundTripsAndReportsTruncation) {
  TTempDir dir;
  const std::string pkg = BuildPackage({"abc", "", std::string(5000, 'z')});
  kytest::WriteFile(dir / "p", "prefix" + pkg);
  const TPackageLayout l = ReadPackageLayout(dir / "p");
  ASSERT_TRUE(l.Info.Found);
  EXPECT_FALSE(l.Truncated);
  ASSERT_EQ(l.Sections.size(), 3u);
  EXPECT_EQ(l.Sections[0].Offset, 6 + kMarkerLength + 8);
  EXPECT_EQ(l.Sections[2].Length, 5000u);
  EXPECT_EQ(ReadSectionsInMemory(pkg), (std::vector<std::string>{"abc", "", std::string(5000, 'z')}));
  kytest::WriteFile(dir / "p", pkg.substr(0, pkg.size() - 10));
  const TPackageLayout cut = ReadPackageLayout(dir / "p");
  EXPECT_TRUE(cut.Truncated);
  EXPECT_EQ(cut.Sections.back().Length, 4990u);
  EXPECT_EQ(ReadSectionsInMemory(pkg.substr(0, 20)).size(), 0u);  // count read, first length cut
}
