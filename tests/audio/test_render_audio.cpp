// The authoring tool's side of sound: build packs the sounds scenes name and the music,
// inspect lists them, and render --audio writes what the show plays on the virtual clock.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "audio_helpers.h"
#include "graphics/uJpegWriter.h"
#include "scene/file/uSceneWriter.h"

using namespace kyaudio;
using kytest::RunCommand;
using kytest::TTempDir;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";

ky::TSoundSlot Slot(const std::string& file, int mode, int minInterval = 0) {
  ky::TSoundSlot s;
  s.SetFileName(file);
  s.PlayMode = mode;
  s.MinInterval = minInterval;
  return s;
}

void WriteScene(const std::string& path, const std::vector<ky::TSoundSlot>& slots) {
  ky::TSceneDescription d;
  ky::TBitmap32 photo(32, 24), mask(32, 24);
  photo.Clear(ky::MakeColor32(40, 90, 160));
  mask.Clear(ky::MakeColor32(0, 0, 255));
  d.PictureJpeg = ky::EncodeJpeg(photo, 90);
  d.PreviewJpeg = d.PictureJpeg;
  d.Width = 32;
  d.Height = 24;
  d.MaskPicture.Assign(mask);
  d.Sounds = slots;
  const std::vector<uint8_t> bytes = ky::EncodeSceneFile(d);
  kytest::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

class RenderAudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The loop lies beside the manifest, the beep beside the scene in its own folder.
    ASSERT_EQ(mkdir((dir / "scenes").c_str(), 0755), 0);
    WriteWav(dir / "tone.wav", tone);
    WriteWav(dir / "scenes/beep.wav", Tone(880, 0.1, 8000));
    WriteWav(dir / "music.wav", Tone(300, 0.5, 6000), 1);
    WriteScene(dir / "scenes/lake.kyp", {Slot("C:\\Sounds\\tone.wav", 0), Slot("beep.wav", 2, 1)});
    kytest::WriteFile(dir / "saver.ini",
                      "[Default]\nStretch=0\nMusicVolume=100\n[Pictures]\nscenes/lake.kyp\n[Music]\nmusic.wav\n");
    std::string out;
    ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Lake.scr" + "'", &out), 0) << out;
  }
  std::vector<int16_t> Render(int frames, const std::string& extra) {
    std::string out;
    EXPECT_EQ(RunCommand("TMPDIR='" + dir.Path() + "' " + kTool + " render '" + dir / "Lake.scr" + "' --out '" +
                             dir / "frames" + "' --frames " + std::to_string(frames) + " --size 32x24 --no-user-settings" +
                             " --audio '" + dir / "out.wav" + "' " + extra,
                         &out), 0) << out;
    return ReadStereoWav(dir / "out.wav");
  }
  TTempDir dir;
  const std::vector<int16_t> tone = Tone(440, 0.25, 10000);
};

}  // namespace

TEST_F(RenderAudioTest, InspectListsTheSoundsAndTheMusic) {
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " inspect --json '" + dir / "Lake.scr" + "'", &out), 0) << out;
  EXPECT_NE(out.find("\"Sounds\":[\"tone.wav\",\"beep.wav\"]"), std::string::npos) << out;
  EXPECT_NE(out.find("\"Music\":[\"music.wav\"]"), std::string::npos) << out;
}

TEST_F(RenderAudioTest, BuildNamesTheSceneSlotAndFileOfASoundItCannotFind) {
  WriteScene(dir / "scenes/lake.kyp", {Slot("tone.wav", 0), Slot("C:\\Sounds\\gone.wav", 2, 1)});
  std::string out;
  EXPECT_NE(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Bad.scr" + "'", &out), 0);
  EXPECT_NE(out.find("scenes/lake.kyp"), std::string::npos) << out;
  EXPECT_NE(out.find("slot 2"), std::string::npos) << out;
  EXPECT_NE(out.find("gone.wav"), std::string::npos) << out;
  EXPECT_FALSE(kytest::Exists(dir / "Bad.scr"));
}

TEST_F(RenderAudioTest, TheWaveHoldsTheRenderedSpanFromTheFirstFrame) {
  const std::vector<int16_t> out = Render(90, "--set Music=0");
  ASSERT_EQ(out.size() / 2, SampleOfTick(90 * 33));
  // The loop alone until the beep's first start, one whole second after the scene appeared.
  const size_t beep = SampleOfTick(FrameTickAtOrAfter(1000));
  for (size_t t = 0; t < beep; ++t) ASSERT_EQ(out[2 * t], tone[t % tone.size()]) << t;
  EXPECT_NEAR(ToneAmplitude(out, 880, beep, 4410), 8000, 80);
  EXPECT_NEAR(ToneAmplitude(out, 440, beep, 4410), 10000, 100);
}

TEST_F(RenderAudioTest, FewerChannelsPlayOnlyTheFirstSound) {
  const std::vector<int16_t> out = Render(90, "--set Music=0 --audio-channels 4");
  ASSERT_EQ(out.size() / 2, SampleOfTick(90 * 33));
  for (size_t t = 0; t < out.size() / 2; ++t) ASSERT_EQ(out[2 * t], tone[t % tone.size()]) << t;
}

TEST_F(RenderAudioTest, TheMusicPlaysBesideTheSounds) {
  const std::vector<int16_t> out = Render(30, "--set Sound=0");
  // The mono track on both sides at full level.
  EXPECT_NEAR(ToneAmplitude(out, 300, 0, 22050, 0), 6000, 6);
  EXPECT_NEAR(ToneAmplitude(out, 300, 0, 22050, 1), 6000, 6);
}
