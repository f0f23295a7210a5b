#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/uIniFile.h"

using namespace ky;

TEST(IniFile, ProfileSemantics) {
  const TIniFile ini = TIniFile::FromText(
      "[Default]\r\nDuration=10\r\nduration=99\r\nStretch = 0\r\nUrl=http://a/b?x=1\r\n"
      "Hex=$10\r\nBad=ten\r\nBig=5\r\n[default]\r\nLate=3\r\n");
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "DURATION", 0), 10);  // first duplicate wins, any case
  EXPECT_FALSE(ini.ReadBool("Default", "Stretch", true));
  EXPECT_EQ(ini.ReadString("Default", "url", ""), "http://a/b?x=1");  // first "=" splits
  EXPECT_EQ(ini.ReadInteger("Default", "Hex", 0), 16);
  EXPECT_EQ(ini.ReadInteger("Default", "Bad", 7), 7);
  EXPECT_TRUE(ini.ReadBool("Default", "Big", false));
  EXPECT_EQ(ini.ReadInteger("Default", "Late", 0), 3);  // a repeated section adds to the first
  EXPECT_EQ(ini.ReadString("Missing", "x", "def"), "def");
  EXPECT_EQ(ini.SectionKeys("default"),
            (std::vector<std::string>{"Duration", "Stretch", "Url", "Hex", "Bad", "Big", "Late"}));
}

TEST(IniFile, WrittenValueReplacesTheKeyWhateverTheCase) {
  TIniFile ini = TIniFile::FromText("[Setting]\r\nSpeed=10\r\nSPEED=11\r\n");
  ini.WriteString("setting", "speed", "12");
  EXPECT_EQ(ini.ReadInteger("SETTING", "Speed", 0), 12);
  const TIniFile back = TIniFile::FromText(ini.ToText());
  EXPECT_EQ(back.ReadInteger("Setting", "speed", 0), 12);
  EXPECT_EQ(back.SectionKeys("Setting").size(), 1u);  // the duplicate went with the old value
}

TEST(IniFile, ReadsAFileAndTakesAMissingOneAsEmpty) {
  const std::string path = ::testing::TempDir() + "/ky-ini-test.ini";
  std::ofstream(path, std::ios::binary) << "[Setting]\r\nMusic=1\r\n";
  EXPECT_TRUE(TIniFile::FromFile(path).ReadBool("setting", "music", false));
  std::remove(path.c_str());
  EXPECT_TRUE(TIniFile::FromFile(path).Sections().empty());
}

// Found by the INI fuzz target: SimpleIni took the text after an unclosed "[" as the name of
// the section for the keys that follow, line breaks and all.
TEST(IniFile, UnclosedSectionHeaderIsSkipped) {
  const TIniFile ini = TIniFile::FromText("[Default]\r\nA=1\r\n[Fil1\r\nB=2\r\n  [  \r\nC=3\r\n[Next]\r\nD=4\r\n");
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Default", "Next"}));
  EXPECT_EQ(ini.SectionKeys("Default"), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(ini.ReadInteger("Default", "B", 0), 2);
  EXPECT_EQ(ini.ReadInteger("Default", "C", 0), 3);
  EXPECT_EQ(ini.ReadInteger("Next", "D", 0), 4);
  // Also right after a UTF-8 signature.
  EXPECT_EQ(TIniFile::FromText("\xEF\xBB\xBF[Buil\r\nK=1\r\n").Sections(), (std::vector<std::string>{""}));
  // Written back and read again, the text says the same.
  const TIniFile back = TIniFile::FromText(ini.ToText());
  EXPECT_EQ(back.Sections(), ini.Sections());
  EXPECT_EQ(back.SectionKeys("Default"), ini.SectionKeys("Default"));

  // The reader stops at a NUL byte, as SimpleIni always did.
  const TIniFile cut = TIniFile::FromText(std::string("[S]\nA=1\n\0B=2\n", 13));
  EXPECT_EQ(cut.SectionKeys("S"), (std::vector<std::string>{"A"}));
}

// Found by the INI fuzz target: a key with a control character at one end was listed but could
// not be read, because the lookup trimmed more than SimpleIni does when it stores names.
TEST(IniFile, EveryListedKeyReadsBack) {
  const TIniFile ini = TIniFile::FromText("[S]\r\n\x0bKyImage1.jpg=1\r\n \tplain\t = 2 \r\n[\x01T\x7f]\r\nk=3\r\n");
  EXPECT_EQ(ini.SectionKeys("S"), (std::vector<std::string>{"\x0bKyImage1.jpg", "plain"}));
  EXPECT_EQ(ini.ReadInteger("S", "\x0bKyImage1.jpg", 0), 1);
  EXPECT_EQ(ini.ReadInteger("S", "  plain ", 0), 2);  // spaces and tabs around a name still do not count
  EXPECT_FALSE(ini.ValueExists("S", "KyImage1.jpg"));
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"S", "\x01T\x7f"}));
  EXPECT_EQ(ini.ReadInteger("\x01T\x7f", "k", 0), 3);
}

// Found by the INI fuzz target: a first key whose name began with the UTF-8 signature bytes
// lost them when the written text was read again.
TEST(IniFile, WrittenTextKeepsAKeyThatStartsWithTheSignatureBytes) {
  const TIniFile ini = TIniFile::FromText("[Ger\n\xEF\xBB\xBF" "etch=2ee\r\n");
  ASSERT_EQ(ini.SectionKeys(""), (std::vector<std::string>{"\xEF\xBB\xBF" "etch"}));
  const TIniFile back = TIniFile::FromText(ini.ToText());
  EXPECT_EQ(back.SectionKeys(""), ini.SectionKeys(""));
  EXPECT_EQ(back.ReadString("", "\xEF\xBB\xBF" "etch", ""), "2ee");
  // A signature at the very start of a text is no part of the first name.
  EXPECT_EQ(TIniFile::FromText("\xEF\xBB\xBF[A]\nk=1\n").Sections(), (std::vector<std::string>{"A"}));
  // Only the first one is a signature: after two, the first line is no header.
  const TIniFile two = TIniFile::FromText("\xEF\xBB\xBF\xEF\xBB\xBF[Buil\n\xFE!=3\n");
  EXPECT_EQ(two.SectionKeys(""), (std::vector<std::string>{"\xFE!"}));
  EXPECT_EQ(TIniFile::FromText(two.ToText()).SectionKeys(""), two.SectionKeys(""));
  EXPECT_FALSE(TIniFile::FromText("\xEF\xBB\xBF\xEF\xBB\xBF[A]\nk=1\n").SectionExists("A"));
}

TEST(IniFile, SavedByReplacingTheFileWholeKeepingItsPermissions) {
  const std::string folder = ::testing::TempDir() + "/ky-ini-save";
  std::system(("rm -rf '" + folder + "'").c_str());
  const std::string path = folder + "/sub/u.ini";
  TIniFile ini = TIniFile::FromText("[A]\r\nx=1\r\n[B]\r\ny=2\r\n[C]\r\nz=3\r\n");
  ini.EraseSection("b");
  ini.WriteString("A", "w", "");
  ini.SaveToFile(path);  // the missing folders are made
  EXPECT_EQ(TIniFile::FromFile(path).Sections(), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(TIniFile::FromFile(path).SectionKeys("A"), (std::vector<std::string>{"x", "w"}));
  chmod(path.c_str(), 0640);
  ini.WriteString("C", "z", "4");
  ini.SaveToFile(path);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(TIniFile::FromFile(path).ReadInteger("c", "Z", 0), 4);
  std::system(("rm -rf '" + folder + "'").c_str());
}
