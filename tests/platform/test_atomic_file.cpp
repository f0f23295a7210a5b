// Replacing small files all at once: new files, kept permissions, links followed, and a
// failure that leaves the old file and no stray temporary file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/uAtomicFile.h"
#include "platform/uError.h"
#include "testutil.h"

using namespace ky;
using kytest::TTempDir;

namespace {

std::string Listing(const TTempDir& dir) {
  std::string out;
  kytest::RunCommand("cd '" + dir.Path() + "' && find . -mindepth 1 | sort | tr '\\n' ' '", &out);
  return out;
}

unsigned Mode(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
}

}  // namespace

TEST(AtomicFile, WritesNewFilesAndReplacesOldOnesKeepingTheirPermissions) {
  TTempDir dir;
  WriteFileAtomically(dir / "new", std::string("one\0two", 7), 0640);
  EXPECT_EQ(kytest::ReadFile(dir / "new"), std::string("one\0two", 7));
  EXPECT_EQ(Mode(dir / "new"), 0640u);
  chmod((dir / "new").c_str(), 0600);
  WriteFileAtomically(dir / "new", "three");
  EXPECT_EQ(kytest::ReadFile(dir / "new"), "three");
  EXPECT_EQ(Mode(dir / "new"), 0600u);
  EXPECT_EQ(Listing(dir), "./new ");

  std::string text;
  EXPECT_TRUE(ReadWholeFile(dir / "new", text));
  EXPECT_EQ(text, "three");
  EXPECT_FALSE(ReadWholeFile(dir / "missing", text));
  EXPECT_THROW(ReadWholeFile(dir / "new", text, 4), TKyError);
}

TEST(AtomicFile, ALinkStaysAndTheFileItNamesIsReplaced) {
  TTempDir dir;
  mkdir((dir / "real").c_str(), 0700);
  kytest::WriteFile(dir / "real/file", "old");
  ASSERT_EQ(symlink("real/file", (dir / "link").c_str()), 0);
  WriteFileAtomically(dir / "link", "new");
  struct stat st {};
  ASSERT_EQ(lstat((dir / "link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(kytest::ReadFile(dir / "real/file"), "new");
  // A link to a file not yet there makes that file.
  ASSERT_EQ(symlink("real/later", (dir / "dangling").c_str()), 0);
  WriteFileAtomically(dir / "dangling", "made");
  EXPECT_EQ(kytest::ReadFile(dir / "real/later"), "made");
}

TEST(AtomicFile, AFailedReplaceLeavesWhatWasThereAndNamesTheFile) {
  TTempDir dir;
  // A folder cannot be replaced by a file: the rename fails after the new bytes are written.
  mkdir((dir / "taken").c_str(), 0700);
  kytest::WriteFile(dir / "taken/inside", "kept");
  try {
    WriteFileAtomically(dir / "taken", "bytes");
    FAIL() << "no error";
  } catch (const TKyError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(dir / "taken: cannot replace the file (", 0), 0u) << e.what();
  }
  EXPECT_EQ(Listing(dir), "./taken ./taken/inside ") << "no temporary file left";
  EXPECT_THROW(WriteFileAtomically(dir / "no/such/folder/file", "x"), TKyError);
}

TEST(AtomicFile, FoldersAreMadeAndFilesRemoved) {
  TTempDir dir;
  MakeFolders(dir / "a/b/c");
  EXPECT_EQ(Mode(dir / "a/b/c"), 0700u);
  MakeFolders(dir / "a/b/c/");
  kytest::WriteFile(dir / "a/f", "x");
  EXPECT_THROW(MakeFolders(dir / "a/f/g"), TKyError);
  EXPECT_TRUE(RemoveFileIfPresent(dir / "a/f"));
  EXPECT_FALSE(RemoveFileIfPresent(dir / "a/f"));
  EXPECT_EQ(Listing(dir), "./a ./a/b ./a/b/c ");
}
