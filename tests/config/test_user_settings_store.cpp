#include <dirent.h>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/uUserSettingsStore.h"
#include "package/uCreatorProject.h"
#include "platform/uError.h"
#include "platform/uText.h"
#include "testutil.h"

using namespace ky;
using kytest::TTempDir;

namespace {

TUserSettingsAccess Enabled(const std::string& file) { return {file, true}; }

// The names in a folder, so a test can see that no temporary file stayed behind.
std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (const dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.emplace_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The text of a file without its empty lines: the tests check which lines are written and in
// what order, not how sections are spaced.
std::string Lines(const std::string& path) {
  std::string out;
  for (const std::string& line : ky::SplitLines(kytest::ReadFile(path)))
    if (!line.empty()) out += line + "\n";
  return out;
}

TUserSettings Sample() {
  TUserSettings u;
  u.ImageSize = 2;
  u.ImageMode = 3;
  u.Speed = 17;
  u.Duration = 45;
  u.DirectXQuality = 0;
  u.ClockPos = 2;
  u.Sound = true;
  u.Music = false;
  u.Transition = true;
  u.DirectX = false;
  u.ShowClock = true;
  u.CustomMusic = true;
  u.ShuffleMusic = false;
  u.MusicList = {"/m/b song.mp3", "/m/a.wav"};
  return u;
}

}  // namespace

TEST(UserSettingsStore, EnabledForAScreensaverFileOrTheConfigureSwitch) {
  const struct { const char* exe; const char* arg; bool enabled; } cases[] = {
      {"/s/Garden.scr", "", true},      {"/s/Garden.SCR", "/S", true},   {"/s/Garden.Scr", "", true},
      {"/s/Garden.exe", "", false},     {"/s/Garden.exe", "/C", true},   {"/s/Garden.exe", "/c", true},
      {"/s/Garden.exe", "/C:5", false}, {"/s/Garden.exe", " /C", false}, {"/s/Set.scr/Garden", "", false},
      {"/s/Garden", "/S", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UserSettingsEnabled(c.exe, c.arg), c.enabled) << c.exe << " " << c.arg;
}

TEST(UserSettingsStore, LoadStartsFromTheProject) {
  TTempDir dir;
  TKyCProject p;
  TKyCSetting& s = p.Setting();
  s.ShowImageMode = 1;
  s.Sound = false;
  s.Music = true;
  s.Transition = false;
  s.Duration = 77;
  s.DirectX = true;
  s.DirectXQuality = 2;
  s.ShowClock = true;
  s.ClockPos = 3;
  s.Speed = 100;
  s.Stretch = true;
  s.Proportional = true;
  const TUserSettings u = LoadUserSettings(p, Enabled(dir / "none.ini"));  // no file yet
  EXPECT_EQ(u.ImageMode, 1);
  EXPECT_FALSE(u.Sound);
  EXPECT_TRUE(u.Music);
  EXPECT_FALSE(u.Transition);
  EXPECT_EQ(u.Duration, 77);
  EXPECT_TRUE(u.DirectX);
  EXPECT_EQ(u.DirectXQuality, 2);
  EXPECT_TRUE(u.ShowClock);
  EXPECT_EQ(u.ClockPos, 3);
  EXPECT_EQ(u.Speed, 10);
  EXPECT_EQ(u.ImageSize, 2);
  EXPECT_FALSE(u.CustomMusic);
  EXPECT_FALSE(u.ShuffleMusic);
  EXPECT_TRUE(u.MusicList.empty());

  const struct { bool stretch, proportional; int32_t speed; int32_t size, position; } mapped[] = {
      {false, true, 45, 0, 3}, {true, false, 500, 1, 20}, {true, true, 10, 2, 0}, {true, false, 99, 1, 0}};
  for (const auto& m : mapped) {
    s.Stretch = m.stretch;
    s.Proportional = m.proportional;
    s.Speed = m.speed;
    const TUserSettings v = LoadUserSettings(p, Enabled(dir / "none.ini"));
    EXPECT_EQ(v.ImageSize, m.size) << m.speed;
    EXPECT_EQ(v.Speed, m.position) << m.speed;
  }
}

TEST(UserSettingsStore, LoadReadsTheFileOnlyWhenEnabled) {
  TTempDir dir;
  kytest::WriteFile(dir / "Garden.ini",
                    "[Setting]\r\nImageSize=0\r\nSpeed=4\r\nDuration=abc\r\nSound=7\r\nIndex=2\r\n"
                    "[MusicList]\r\n/m/x.mp3=\r\n/m/y.mid=\r\n");
  TKyCProject p;
  p.Setting().ClockPos = 3;
  p.Setting().ShowClock = true;
  p.Setting().Sound = false;
  p.Setting().Duration = 12;
  const TUserSettings u = LoadUserSettings(p, Enabled(dir / "Garden.ini"));
  EXPECT_EQ(u.ImageSize, 0);
  EXPECT_EQ(u.Speed, 4);
  EXPECT_EQ(u.Duration, 12);  // not a number: the project's value
  EXPECT_TRUE(u.Sound);       // any integer but 0
  EXPECT_EQ(u.ClockPos, 1);   // fixed defaults, whatever the project says
  EXPECT_FALSE(u.ShowClock);
  EXPECT_FALSE(u.CustomMusic);
  EXPECT_TRUE(u.ShuffleMusic);
  EXPECT_EQ(u.MusicList, (std::vector<std::string>{"/m/x.mp3", "/m/y.mid"}));

  const TUserSettings off = LoadUserSettings(p, {dir / "Garden.ini", false});
  EXPECT_EQ(off.ClockPos, 3);
  EXPECT_FALSE(off.Sound);
  EXPECT_TRUE(off.MusicList.empty());
}

TEST(UserSettingsStore, SaveWritesEveryOptionInOrderAndKeepsTheRest) {
  TTempDir dir;
  mkdir((dir / "Set.2").c_str(), 0755);
  const std::string file = dir / "Set.2/Garden.ini";
  kytest::WriteFile(file, "[Setting]\r\nIndex=4\r\nspeed=1\r\n[MusicList]\r\n/old.mp3=\r\n[Files]\r\n2=\r\n");
  SaveUserSettings(Sample(), Enabled(file));
  EXPECT_EQ(Lines(file),
            "[Setting]\n"
            "Index=4\n"
            "Speed=17\n"  // the key keeps its place
            "ImageSize=2\nImageMode=3\nSound=1\nMusic=0\nTransition=1\nDuration=45\nDirectX=0\n"
            "DirectXQuality=0\nCustomMusic=1\nShuffleMusic=0\nShowClock=1\nClockPos=2\n"
            "[Files]\n2=\n"
            "[MusicList]\n/m/b song.mp3=\n/m/a.wav=\n");
  EXPECT_EQ(LoadUserSettings(TKyCProject(), Enabled(file)), Sample());
  EXPECT_EQ(FolderNames(dir / "Set.2"), (std::vector<std::string>{"Garden.ini"}));
}

TEST(UserSettingsStore, SaveToANewFile) {
  TTempDir dir;
  TUserSettings u = Sample();
  u.MusicList = {"/m/a.mp3", "/m/b.mp3", "/m/a.mp3", "/M/A.MP3"};  // one file added twice (and in other case)
  SaveUserSettings(u, Enabled(dir / "Garden.ini"));
  EXPECT_EQ(Lines(dir / "Garden.ini"),
            "[Setting]\nImageSize=2\nImageMode=3\nSpeed=17\nSound=1\nMusic=0\nTransition=1\nDuration=45\n"
            "DirectX=0\nDirectXQuality=0\nCustomMusic=1\nShuffleMusic=0\nShowClock=1\nClockPos=2\n"
            "[MusicList]\n/m/a.mp3=\n/m/b.mp3=\n");
  // An empty playlist leaves no section; a missing folder is made.
  u.MusicList.clear();
  SaveUserSettings(u, Enabled(dir / "config/kysaver/Garden.ini"));
  EXPECT_EQ(LoadUserSettings(TKyCProject(), Enabled(dir / "config/kysaver/Garden.ini")), u);
  EXPECT_EQ(kytest::ReadFile(dir / "config/kysaver/Garden.ini").find("MusicList"), std::string::npos);
}

TEST(UserSettingsStore, DisabledWritesNothing) {
  TTempDir dir;
  const TUserSettingsAccess off{dir / "Garden.ini", false};
  SaveUserSettings(Sample(), off);
  WritePictureIndex(off, 3);
  WriteUncheckedPictures(off, {true, false});
  EXPECT_TRUE(FolderNames(dir.Path()).empty());
  kytest::WriteFile(dir / "Garden.ini", "[Setting]\r\nIndex=1\r\n[Files]\r\n0=\r\n");
  EXPECT_FALSE(ReadPictureIndex(off, 5).has_value());
  EXPECT_TRUE(ReadUncheckedPictures(off).empty());
}

TEST(UserSettingsStore, UnwritableFileIsReportedAndLeftAsItWas) {
  TTempDir dir;
  kytest::WriteFile(dir / "plain", "x");
  const std::string underAFile = dir / "plain/Garden.ini";
  const struct { std::string file; std::function<void(const TUserSettingsAccess&)> write; } cases[] = {
      {underAFile, [](const TUserSettingsAccess& a) { SaveUserSettings(Sample(), a); }},
      {underAFile, [](const TUserSettingsAccess& a) { WritePictureIndex(a, 1); }},
      {underAFile, [](const TUserSettingsAccess& a) { WriteUncheckedPictures(a, {false}); }},
      {dir.Path(), [](const TUserSettingsAccess& a) { SaveUserSettings(Sample(), a); }},  // a folder
  };
  for (const auto& c : cases) {
    try {
      c.write(Enabled(c.file));
      ADD_FAILURE() << "no error for " << c.file;
    } catch (const TKyError& e) {
      EXPECT_EQ(std::string(e.what()), "Unable to write to " + c.file);
    }
  }
  EXPECT_EQ(kytest::ReadFile(dir / "plain"), "x");

  if (geteuid() != 0) {  // permissions do not bind root
    mkdir((dir / "ro").c_str(), 0755);
    kytest::WriteFile(dir / "ro/Garden.ini", "[Setting]\r\nIndex=2\r\n");
    chmod((dir / "ro").c_str(), 0555);
    EXPECT_THROW(SaveUserSettings(Sample(), Enabled(dir / "ro/Garden.ini")), TKyError);
    chmod((dir / "ro").c_str(), 0755);
    EXPECT_EQ(kytest::ReadFile(dir / "ro/Garden.ini"), "[Setting]\r\nIndex=2\r\n");
    EXPECT_EQ(FolderNames(dir / "ro"), (std::vector<std::string>{"Garden.ini"}));
    chmod((dir / "ro/Garden.ini").c_str(), 0200);  // writable, not readable: its contents would be lost
    EXPECT_THROW(WritePictureIndex(Enabled(dir / "ro/Garden.ini"), 1), TKyError);
    chmod((dir / "ro/Garden.ini").c_str(), 0644);
    EXPECT_EQ(kytest::ReadFile(dir / "ro/Garden.ini"), "[Setting]\r\nIndex=2\r\n");
  }
}

TEST(UserSettingsStore, MusicPathsTheFileCannotHoldAreRefusedBeforeWriting) {
  TTempDir dir;
  kytest::WriteFile(dir / "Garden.ini", "[Setting]\r\nIndex=2\r\n");
  const char* bad[] = {"/m/a=b.mp3", "/m/a\nIndex=9.mp3", "/m/a.mp3 ", "[x].mp3", ";x.mp3", ""};
  for (const char* path : bad) {
    TUserSettings u = Sample();
    u.MusicList = {"/m/fine.mp3", path};
    EXPECT_FALSE(IsStorableMusicPath(path)) << path;
    EXPECT_THROW(SaveUserSettings(u, Enabled(dir / "Garden.ini")), TKyError) << path;
    EXPECT_EQ(kytest::ReadFile(dir / "Garden.ini"), "[Setting]\r\nIndex=2\r\n") << path;
  }
  EXPECT_TRUE(IsStorableMusicPath("/m/Song [live]; 2.mp3"));
}

TEST(UserSettingsStore, PictureIndexIsTheExactDecimalTextOfAPosition) {
  TTempDir dir;
  const std::string file = dir / "Garden.ini";
  EXPECT_EQ(ReadPictureIndex(Enabled(file), 3), 0);  // no file: "0"
  EXPECT_FALSE(ReadPictureIndex(Enabled(file), 0).has_value());
  const struct { const char* text; std::optional<int32_t> index; } cases[] = {
      {"2", 2}, {"0", 0}, {"3", std::nullopt}, {"02", std::nullopt}, {"+1", std::nullopt},
      {"-1", std::nullopt}, {"$2", std::nullopt}, {"x", std::nullopt}, {" 1 ", 1},  // values are trimmed
  };
  for (const auto& c : cases) {
    kytest::WriteFile(file, std::string("[Setting]\r\nIndex=") + c.text + "\r\n");
    EXPECT_EQ(ReadPictureIndex(Enabled(file), 3), c.index) << c.text;
  }
  kytest::WriteFile(file, "[Setting]\r\nSpeed=4\r\n[Files]\r\n1=\r\n");
  WritePictureIndex(Enabled(file), 12);
  EXPECT_EQ(Lines(file), "[Setting]\nSpeed=4\nIndex=12\n[Files]\n1=\n");
}

TEST(UserSettingsStore, UncheckedPicturesRoundTrip) {
  TTempDir dir;
  const std::string file = dir / "Garden.ini";
  EXPECT_TRUE(ReadUncheckedPictures(Enabled(file)).empty());
  kytest::WriteFile(file, "[Setting]\r\nIndex=1\r\n[Files]\r\n9=\r\n[MusicList]\r\n/m/a.mp3=\r\n");
  WriteUncheckedPictures(Enabled(file), {true, false, true, false, false});
  EXPECT_EQ(Lines(file), "[Setting]\nIndex=1\n[MusicList]\n/m/a.mp3=\n[Files]\n1=\n3=\n4=\n");
  EXPECT_EQ(ReadUncheckedPictures(Enabled(file)), (std::vector<std::string>{"1", "3", "4"}));
  WriteUncheckedPictures(Enabled(file), {true, true});
  EXPECT_TRUE(ReadUncheckedPictures(Enabled(file)).empty());
  EXPECT_EQ(Lines(file), "[Setting]\nIndex=1\n[MusicList]\n/m/a.mp3=\n");

  // The window compares text: "03" does not uncheck picture 3.
  EXPECT_EQ(CheckMarksFrom({"1", "03", "7", "x"}, 5), (std::vector<bool>{true, false, true, true, true}));
  EXPECT_TRUE(CheckMarksFrom({"0"}, 0).empty());
}
