// The authoring checks' reading of a small text file: whole up to the bound, refused past it.
#include <gtest/gtest.h>

#include "testutil.h"
#include "uSmallTextFile.h"

using ky::ReadSmallTextFile;
using ky::TSmallText;
using kytest::TTempDir;

TEST(SmallTextFile, ReadWholeUpToTheBoundRefusedPastIt) {
  TTempDir dir;
  const std::string text = "[Scene]\r\nTitle=Lake\r\n";
  kytest::WriteFile(dir / "a.ini", text);
  const TSmallText read = ReadSmallTextFile(dir / "a.ini", text.size());
  EXPECT_EQ(read.Result, TSmallText::TResult::Read);
  EXPECT_EQ(read.Text, text);
  const TSmallText refused = ReadSmallTextFile(dir / "a.ini", text.size() - 1);
  EXPECT_EQ(refused.Result, TSmallText::TResult::TooLarge);
  EXPECT_TRUE(refused.Text.empty());
  // Longer than one read's buffer, so the bound is checked across reads.
  const std::string big(200000, 'x');
  kytest::WriteFile(dir / "big.ini", big);
  EXPECT_EQ(ReadSmallTextFile(dir / "big.ini", big.size()).Text, big);
  EXPECT_EQ(ReadSmallTextFile(dir / "big.ini", 100000).Result, TSmallText::TResult::TooLarge);
}

TEST(SmallTextFile, EmptyAndMissingFiles) {
  TTempDir dir;
  kytest::WriteFile(dir / "empty.ini", "");
  const TSmallText empty = ReadSmallTextFile(dir / "empty.ini", 16);
  EXPECT_EQ(empty.Result, TSmallText::TResult::Read);
  EXPECT_TRUE(empty.Text.empty());
  EXPECT_EQ(ReadSmallTextFile(dir / "missing.ini", 16).Result, TSmallText::TResult::CannotOpen);
}
