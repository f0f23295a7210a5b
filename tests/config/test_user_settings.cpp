#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/uUserSettings.h"
#include "package/uCreatorProject.h"
#include "testutil.h"

using namespace ky;
using kytest::TTempDir;

namespace {

// A project of n pictures, all flags set as the show driver sets them.
void Pictures(TKyCProject& p, int n) {
  for (int i = 0; i < n; ++i) {
    p.FileList().Names.push_back("KyImage" + std::to_string(i) + ".jpg");
    p.FileList().Flags.push_back("TRUE");
  }
}

std::vector<std::string> Apply(TKyCProject& p, const TTempDir& dir, const std::string& text) {
  kytest::WriteFile(dir / "Garden.ini", text);
  ApplyUserSettings(p, dir / "Garden.ini");
  return p.FileList().Flags;
}

}  // namespace

TEST(UserSettingsFile, SitsBesideTheSaverOrInTheUsersConfigFolder) {
  TTempDir dir;
  mkdir((dir / "Set.2").c_str(), 0755);
  EXPECT_EQ(UserSettingsFileName(dir / "Set.2/Garden.scr"), dir / "Set.2/Garden.ini");
  // The last "." of the whole path counts, even in a folder name.
  EXPECT_EQ(UserSettingsFileName(dir / "Set.2/Garden"), dir / "Set.ini");
  // The search starts before the last character, so a trailing "." is not found.
  EXPECT_EQ(UserSettingsFileName(dir / "Garden."), ".ini");
  if (geteuid() != 0) {  // permissions do not bind root
    mkdir((dir / "system").c_str(), 0555);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    EXPECT_EQ(UserSettingsFileName(dir / "system/Garden.scr"), dir / "config/kysaver/Garden.ini");
    unsetenv("XDG_CONFIG_HOME");
  }
}

TEST(UserSettingsFile, SectionKeysByTheLineRules) {
  TTempDir dir;
  kytest::WriteFile(dir / "u.ini", "[Other]\r\n9=\r\n[files]\r\n\r\n3=\r\n 4 =\r\n=7\r\nnoequals\r\na=b=\r\n[Next]\r\n5=\r\n");
  EXPECT_EQ(ReadSectionKeys(dir / "u.ini", "Files"), (std::vector<std::string>{"3", " 4 ", "a=b"}));
  EXPECT_TRUE(ReadSectionKeys(dir / "missing.ini", "Files").empty());
}

TEST(ApplyUserSettings, MissingFileChangesNothing) {
  TTempDir dir;
  TKyCProject p;
  Pictures(p, 3);
  p.Setting().DirectX = false;
  ApplyUserSettings(p, dir / "none.ini");
  EXPECT_FALSE(p.Setting().DirectX);
  EXPECT_EQ(p.FileList().Flags, (std::vector<std::string>{"TRUE", "TRUE", "TRUE"}));
}

TEST(ApplyUserSettings, PictureFlagsByImageMode) {
  TTempDir dir;
  const struct { const char* file; std::vector<std::string> flags; } cases[] = {
      {"[Setting]\r\nImageMode=3\r\nIndex=1\r\n", {"FALSE", "TRUE", "FALSE", "FALSE"}},
      {"[Setting]\r\nImageMode=3\r\nIndex=4\r\n", {"TRUE", "FALSE", "FALSE", "FALSE"}},   // past the end
      {"[Setting]\r\nImageMode=3\r\nIndex=-2\r\n", {"TRUE", "FALSE", "FALSE", "FALSE"}},
      {"[Setting]\r\nImageMode=2\r\n[Files]\r\n0=\r\n1=\r\n2=\r\n3=\r\n", {"FALSE", "FALSE", "FALSE", "FALSE"}},
      {"[Setting]\r\nImageMode=2\r\n[Files]\r\n03=\r\nx=\r\n9=\r\n", {"TRUE", "TRUE", "TRUE", "FALSE"}},
      {"[Setting]\r\nImageMode=1\r\n[Files]\r\n0=\r\n", {"TRUE", "TRUE", "TRUE", "TRUE"}},  // only modes 2 and 3
  };
  for (const auto& c : cases) {
    TKyCProject p;
    Pictures(p, 4);
    EXPECT_EQ(Apply(p, dir, c.file), c.flags) << c.file;
  }
}

TEST(ApplyUserSettings, ValuesAndTheirFixedDefaults) {
  TTempDir dir;
  {  // a file written only by a window close
    TKyCProject p;
    Pictures(p, 2);
    p.Setting().DirectX = false;
    p.Setting().DirectXQuality = 2;
    p.Setting().ShowClock = true;
    p.Setting().ClockPos = 3;
    p.Setting().Duration = 44;
    Apply(p, dir, "[Setting]\r\nIndex=1\r\n");
    EXPECT_TRUE(p.Setting().DirectX);
    EXPECT_EQ(p.Setting().DirectXQuality, 1);
    EXPECT_FALSE(p.Setting().ShowClock);
    EXPECT_EQ(p.Setting().ClockPos, 1);
    EXPECT_EQ(p.Setting().Duration, 44);  // the project's value is the default
    EXPECT_EQ(p.Setting().Speed, 100);
    EXPECT_TRUE(p.Setting().Stretch);
  }
  const struct { const char* file; int speed; bool stretch, proportional; } sizes[] = {
      {"[Setting]\r\nSpeed=10\r\nImageSize=0\r\n", 100, false, false},
      {"[Setting]\r\nSpeed=20\r\nImageSize=1\r\n", 500, true, false},
      {"[Setting]\r\nSpeed=3\r\nImageSize=2\r\n", 45, true, true},
      {"[Setting]\r\nSpeed=21\r\nImageSize=x\r\n", 100, true, false},  // outside the table; not a number
  };
  for (const auto& c : sizes) {
    TKyCProject p;
    Apply(p, dir, c.file);
    EXPECT_EQ(p.Setting().Speed, c.speed) << c.file;
    EXPECT_EQ(p.Setting().Stretch, c.stretch) << c.file;
    EXPECT_EQ(p.Setting().Proportional, c.proportional) << c.file;
  }
  {
    TKyCProject p;
    p.Setting().MusicFile = "authored.mp3;";
    Apply(p, dir, "[Setting]\r\nCustomMusic=1\r\n[MusicList]\r\n");
    EXPECT_EQ(p.Setting().MusicFile, "");
    EXPECT_EQ(p.Setting().MusicMode, 0);
    Apply(p, dir, "[Setting]\r\nCustomMusic=1\r\nShuffleMusic=0\r\n[MusicList]\r\n/m/a b.mp3=\r\n/m/c.ogg=\r\n");
    EXPECT_EQ(p.Setting().MusicFile, "/m/a b.mp3;/m/c.ogg");
    EXPECT_EQ(p.Setting().MusicMode, 1);
  }
}

TEST(ApplyUserSettings, MusicListKeysReadAsTheIniFunctionsReadThem) {
  TTempDir dir;
  const struct { const char* list; const char* music; } cases[] = {
      {"/m/a.mp3=\r\n", "/m/a.mp3"},
      {"  /m/a.mp3 \t=\r\n\t/m/b c.ogg=\r\n", "/m/a.mp3;/m/b c.ogg"},  // trimmed, inner spaces kept
      {"/m/a.mp3=\r\n/M/A.MP3=\r\n/m/b.ogg=\r\n", "/m/a.mp3;/m/b.ogg"},  // one line per file
  };
  for (const auto& c : cases) {
    TKyCProject p;
    Apply(p, dir, std::string("[Setting]\r\nCustomMusic=1\r\n[MusicList]\r\n") + c.list);
    EXPECT_EQ(p.Setting().MusicFile, c.music) << c.list;
  }
}
