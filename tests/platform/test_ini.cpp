#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

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

TEST(IniFile, WritesBooleansAsDigitsAndSavesAtomically) {
  TIniFile ini;
  ini.WriteBool("Setting", "Music", true);
  ini.WriteBool("Setting", "Sound", false);
  ini.WriteInteger("Setting", "Speed", 10);
  ini.WriteString("setting", "speed", "12");  // replaces, whatever the case
  const std::string dir = ::testing::TempDir();
  const std::string path = dir + "/ky-ini-test.ini";
  ini.SaveToFile(path);
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_NE(ss.str().find("Music=1"), std::string::npos);
  EXPECT_NE(ss.str().find("Sound=0"), std::string::npos);
  const TIniFile back = TIniFile::FromFile(path);
  EXPECT_EQ(back.ReadInteger("SETTING", "Speed", 0), 12);
  std::remove(path.c_str());
  EXPECT_THROW(ini.SaveToFile("/nonexistent-folder-ky/x.ini"), std::runtime_error);
}
