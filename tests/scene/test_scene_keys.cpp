// The table of scene description keys is the reader's own list: every key in it changes what is
// read, and its defaults are what a description without the key gives.
#include <gtest/gtest.h>

#include "graphics/uBitmap32.h"
#include "graphics/uJpegReader.h"
#include "graphics/uPngWriter.h"
#include "scene/file/uSceneKeys.h"
#include "scene/file/uSceneWriter.h"
#include "testutil.h"

namespace {

using ky::TSceneKey;

class SceneKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ky::TBitmap32 b(20, 10);
    b.Clear(ky::MakeColor32(10, 20, 30));
    ky::SavePngFile(b, dir / "p.png");
    ky::SavePngFile(b, dir / "m.png");
    kytest::WriteFile(dir / "o.ini", "[Obj0]\nObjType=IMG\n");
  }
  ky::TSceneDescription Read(const std::string& text) {
    kytest::WriteFile(dir / "s.ini", text);
    return ky::ReadSceneDescription(dir / "s.ini");
  }
  kytest::TTempDir dir;
};

// A value for each key that differs from its default and lies in its range.
std::string OtherValue(const TSceneKey& k) {
  switch (k.Type) {
    case TSceneKey::TType::Flag: return k.Default ? "0" : "1";
    case TSceneKey::TType::Integer: return std::to_string(k.Default == k.High ? k.Low : k.Default + 1);
    default: return "";
  }
}

TEST_F(SceneKeysTest, DefaultsOfTheTableAreWhatTheReaderGivesWithoutTheKey) {
  const ky::TSceneDescription s = Read("[Scene]\nPhoto=p.png\nMask=m.png\n[Sound1]\nFileName=a.wav\n");
  const ky::TWaveParam d = ky::TWaveParam::Defaults();
  for (int i = 0; i < ky::kWaveSetCount; ++i) EXPECT_TRUE(s.WaveSets[i] == d) << i;
  EXPECT_TRUE(s.Weather == ky::TWeatherParam{});
  ASSERT_EQ(s.Sounds.size(), 1u);
  for (const TSceneKey& k : ky::SceneDescriptionKeys()) {
    if (k.Type == TSceneKey::TType::Text || k.Type == TSceneKey::TType::File) continue;
    if (k.Section == "Wave") {
      ky::TSceneDescription one = Read("[Scene]\nPhoto=p.png\nMask=m.png\n[Wave1]\n" + std::string(k.Key) + "=" +
                                       std::to_string(k.Default) + "\n");
      EXPECT_TRUE(one.WaveSets[0] == d) << k.Key;
    }
    EXPECT_GE(k.Default, k.Low) << k.Key;
    EXPECT_LE(k.Default, k.High) << k.Key;
  }
  EXPECT_EQ(s.Sounds[0].PlayMode, ky::FindSceneKey("Sound", "PlayMode")->Default);
  EXPECT_EQ(s.Sounds[0].MinInterval, ky::FindSceneKey("Sound", "MinInterval")->Default);
  // PreviewWidth 160 on a 20-pixel photo is cut to the photo's width.
  EXPECT_EQ(ky::FindSceneKey("Scene", "PreviewWidth")->Default, 160);
}

TEST_F(SceneKeysTest, EveryListedNumberKeyChangesWhatIsRead) {
  const ky::TSceneDescription base = Read("[Scene]\nPhoto=p.png\nMask=m.png\n[Sound1]\nFileName=a.wav\n");
  for (const TSceneKey& k : ky::SceneDescriptionKeys()) {
    if (k.Type != TSceneKey::TType::Integer && k.Type != TSceneKey::TType::Flag) continue;
    if (k.Section == "Scene") continue;  // PreviewWidth: below
    for (int n = 1; n <= k.Count; ++n) {
      const std::string section = k.Count == 1 ? std::string(k.Section) : std::string(k.Section) + std::to_string(n);
      std::string text = "[Scene]\nPhoto=p.png\nMask=m.png\n[Sound1]\nFileName=a.wav\n";
      if (section != "Sound1") text += "[" + section + "]\n";
      if (k.Section == "Sound" && section != "Sound1") text += "FileName=b.wav\n";
      text += std::string(k.Key) + "=" + OtherValue(k) + "\n";
      const ky::TSceneDescription s = Read(text);
      bool changed = false;
      if (k.Section == "Wave") changed = !(s.WaveSets[n - 1] == base.WaveSets[n - 1]);
      if (k.Section == "Weather") changed = !(s.Weather == base.Weather);
      if (k.Section == "Sound") {
        const ky::TSoundSlot& slot = s.Sounds.at(static_cast<size_t>(n == 1 ? 0 : 1));
        changed = slot.PlayMode != 0 || slot.MinInterval != 0 || slot.MaxInterval != 0;
      }
      EXPECT_TRUE(changed) << "[" << section << "] " << k.Key;
    }
  }
  const ky::TSceneDescription small = Read("[Scene]\nPhoto=p.png\nMask=m.png\nPreviewWidth=10\n");
  ky::TBitmap32 preview;
  ky::LoadJpegFromMemory(small.PreviewJpeg.data(), small.PreviewJpeg.size(), preview);
  EXPECT_EQ(preview.Width(), 10);
  EXPECT_EQ(preview.Height(), 5);
}

TEST_F(SceneKeysTest, EveryListedTextKeyIsRead) {
  const ky::TSceneDescription s = Read(
      "[Scene]\nTitle=T\nSecondText=S\nPhoto=p.png\nMask=m.png\nObjects=o.ini\nSoundFile=old.wav\nBuild=x\n"
      "[Sound1]\nFileName=a.wav\n");
  EXPECT_EQ(s.Title, "T");
  EXPECT_EQ(s.SecondText, "S");
  EXPECT_EQ(s.Width, 20);
  EXPECT_EQ(s.MaskPicture.Width(), 20);
  EXPECT_EQ(s.ObjectsText, "[Obj0]\nObjType=IMG\n");
  EXPECT_EQ(s.SoundFile, "old.wav");
  EXPECT_EQ(s.BuildInfo, "x");
  EXPECT_EQ(s.Sounds.at(0).FileName(), "a.wav");
  for (const char* key : {"Title", "SecondText", "Photo", "Mask", "Objects", "SoundFile", "Build"})
    EXPECT_NE(ky::FindSceneKey("Scene", key), nullptr) << key;
  EXPECT_NE(ky::FindSceneKey("Sound", "FileName"), nullptr);
}

TEST(SceneSections, WrittenNamesMapToTableSections) {
  struct {
    const char* Written;
    const char* Section;
    int Number;
  } cases[] = {{"Scene", "Scene", 1}, {"wave3", "Wave", 3}, {"WAVE8", "Wave", 8}, {"Wave9", "", 0},
               {"Wave0", "", 0},      {"Sound1", "Sound", 1}, {"Weather", "Weather", 1}, {"Waves", "", 0}};
  for (const auto& c : cases) {
    const ky::TSceneSectionName s = ky::SceneSectionOf(c.Written);
    EXPECT_EQ(s.Section, c.Section) << c.Written;
    EXPECT_EQ(s.Number, c.Number) << c.Written;
  }
}

}  // namespace
