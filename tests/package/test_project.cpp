#include <gtest/gtest.h>

#include "package/uCreatorProject.h"
#include "package/uPackage.h"
#include "platform/uError.h"

using namespace ky;

TEST(FileList, ReadsNamesAndFlagsByTheLineRules) {
  TKyCFileList list;
  list.LoadFromText(
      "Header=1\r\nbefore.jpg=1\r\n[FILELIST]\r\n\r\nKyImage0.kyp=1\r\nKyImage1.jpg=0\r\n=orphan\r\nno equals\r\n"
      "a=b.jpg=1\r\n  spaced.bmp =1\r\n[Other]\r\nafter.jpg=1\r\n");
  EXPECT_EQ(list.Names, (std::vector<std::string>{"KyImage0.kyp", "KyImage1.jpg", "a=b.jpg", "  spaced.bmp "}));
  // Flags are looked up with the INI rules: "a=b.jpg" is no key there (the first "=" splits), so
  // it reads as false; keys are compared trimmed.
  EXPECT_EQ(list.Flags, (std::vector<std::string>{"TRUE", "FALSE", "FALSE", "TRUE"}));
  list.LoadFromText("[Files]\r\nx=1\r\n");
  EXPECT_TRUE(list.Names.empty());
  EXPECT_TRUE(list.Flags.empty());
}

TEST(Settings, DefaultsWhenEmpty) {
  TKyCSetting s;
  s.LoadFromText("");
  EXPECT_EQ(s.ProductName, "My Screensaver");
  EXPECT_TRUE(s.Stretch);
  EXPECT_FALSE(s.Proportional);
  EXPECT_EQ(s.Duration, 30);
  EXPECT_EQ(s.TransitionTime, 2000);
  EXPECT_EQ(s.Speed, 100);
  EXPECT_EQ(s.ClockPos, 1);
  EXPECT_EQ(s.BuildMethod, 2);
  EXPECT_TRUE(s.BuildSmallThumbs);
  EXPECT_TRUE(s.MusicFile.empty());
  const std::string& e = s.TransitionEffects;
  EXPECT_EQ(e.substr(0, 6), "1,2,3,");
  EXPECT_EQ(e.substr(e.size() - 8), ",168,169");
  EXPECT_EQ(std::count(e.begin(), e.end(), ','), 168);
  EXPECT_EQ(SettingKeys().size(), 34u);
}

TEST(Settings, NumbersHexAndInvalidValues) {
  TKyCSetting s;
  s.LoadFromText(
      "[general]\r\nproductname=Sea Waves\r\n[DEFAULT]\r\nDuration=$1E\r\nSpeed=fast\r\nSoundVolume=-5\r\n"
      "Stretch=0\r\nProportional=7\r\nSound=yes\r\nTransitionTime=12x\r\nShowImageMode= 3 \r\n"
      "[Advance]\r\nMusicFile=a.mp3;b.mp3;\r\n[Build]\r\nCustomIcon=$0\r\n[Tool]\r\nDuration=1\r\n");
  EXPECT_EQ(s.ProductName, "Sea Waves");
  EXPECT_EQ(s.Duration, 0x1E);
  EXPECT_EQ(s.Speed, 100);
  EXPECT_EQ(s.SoundVolume, -5);
  EXPECT_FALSE(s.Stretch);
  EXPECT_TRUE(s.Proportional);  // any integer but 0
  EXPECT_TRUE(s.Sound);         // not a number: the default stays
  EXPECT_EQ(s.TransitionTime, 2000);
  EXPECT_EQ(s.ShowImageMode, 3);
  EXPECT_EQ(s.MusicFile, "a.mp3;b.mp3;");
  EXPECT_FALSE(s.CustomIcon);
}

TEST(Project, LoadsThreeOrFourSectionsAndRefusesOthers) {
  const std::string files = "[FileList]\r\nKyImage0.kyp=1\r\n";
  const std::string settings = "[Default]\r\nDuration=12\r\n";
  const std::string ui = "[UI]\r\nUIFile=C:\\Author\\Main.kyu\r\n";
  for (const bool fourth : {false, true}) {
    TKyCProject p;
    std::vector<std::string> sections{files, settings, ui};
    if (fourth) sections.push_back(BuildPackage({"ignored"}));
    p.LoadFromPackage(BuildPackage(sections), "KyC.res");
    EXPECT_EQ(p.FileList().Names, std::vector<std::string>{"KyImage0.kyp"});
    EXPECT_EQ(p.Setting().Duration, 12);
    EXPECT_EQ(p.UISetting().UIFile, "C:\\Author\\Main.kyu");
  }
  for (const auto& bad : {BuildPackage({files, settings}), BuildPackage({files, settings, ui, "", ""}), std::string("junk")}) {
    TKyCProject p;
    EXPECT_THROW(p.LoadFromPackage(bad, "KyC.res"), TKyError);
  }
  // A count of 3 whose third section is cut off.
  TKyCProject p;
  const std::string cut = BuildPackage({files, settings, ui});
  EXPECT_THROW(p.LoadFromPackage(cut.substr(0, cut.size() - ui.size() - 4), "KyC.res"), TKyError);
}
