// The sound schedule and the music chain of the show on the virtual clock: the show's own code,
// its sounds mixed by the tool's virtual device, the result checked against the rules.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "audio_helpers.h"
#include "graphics/uJpegWriter.h"
#include "package/uCreatorProject.h"
#include "saver/FKyScrSvr.h"
#include "saver/uMusicChain.h"
#include "saver/uOffscreenHost.h"
#include "scene/file/uSceneWriter.h"
#include "uVirtualMixer.h"

using namespace ky;
using namespace kyaudio;
using kytest::TTempDir;

namespace {

TSoundSlot Slot(const std::string& file, int mode, int minInterval = 0, int maxInterval = 0) {
  TSoundSlot s;
  s.SetFileName(file);
  s.PlayMode = mode;
  s.MinInterval = minInterval;
  s.MaxInterval = maxInterval;
  return s;
}

// A show of 32 x 24 on the virtual clock with the tool's virtual audio device.
struct TAudioShow {
  TTempDir dir;
  TKyCProject project;
  TManualTicks clock{0};
  TOffscreenHost host{32, 24, clock, nullptr};
  TVirtualMixer mixer;

  explicit TAudioShow(int channels = 8) : mixer(clock, 0, channels) {
    project.MediaFolders().Work = dir.Path() + "/";
    TKyCSetting& s = project.Setting();
    s.Stretch = false;
    s.Transition = false;
    s.ShowImageMode = 1;
    s.Music = false;
  }
  std::string Scene(const std::string& name, const std::vector<TSoundSlot>& slots) {
    TSceneDescription d;
    TBitmap32 photo(32, 24), mask(32, 24);
    photo.Clear(MakeColor32(40, 90, 160));
    mask.Clear(MakeColor32(0, 0, 255));
    d.PictureJpeg = EncodeJpeg(photo, 90);
    d.PreviewJpeg = d.PictureJpeg;
    d.Width = 32;
    d.Height = 24;
    d.MaskPicture.Assign(mask);
    d.Sounds = slots;
    const std::vector<uint8_t> bytes = EncodeSceneFile(d);
    kytest::WriteFile(dir / name, std::string(bytes.begin(), bytes.end()));
    return dir / name;
  }
  std::string Plain(const std::string& name) {
    kytest::WriteBmp24(dir / name, 8, 6, [](int, int) { return 0x808080u; });
    return dir / name;
  }
  // Runs the show for `frames` frames and returns the sound of that span.
  std::vector<int16_t> Run(const std::vector<std::string>& pictures, int frames) {
    for (const std::string& p : pictures) {
      project.FileList().Names.push_back(p);
      project.FileList().Flags.push_back("TRUE");
    }
    TKyfmScrSvr show(project, host, clock);
    show.SetAudioDevice(mixer);
    show.FormShow();
    for (int i = 0; i < frames; ++i) show.FrameStep();
    show.FormClose();
    return mixer.Mix(SampleOfTick(static_cast<uint32_t>(frames) * 33)).Samples;
  }
};

// true when out[t] is the looping mono sound's sample t (both sides) for every t in [from, to).
::testing::AssertionResult LoopsThrough(const std::vector<int16_t>& out, const std::vector<int16_t>& sound, size_t from,
                                        size_t to) {
  for (size_t t = from; t < to; ++t) {
    const int16_t want = sound[t % sound.size()];
    if (out[2 * t] != want || out[2 * t + 1] != want)
      return ::testing::AssertionFailure() << "sample " << t << ": " << out[2 * t] << "/" << out[2 * t + 1] << ", want " << want;
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult SilentFrom(const std::vector<int16_t>& out, size_t from) {
  for (size_t i = from * 2; i < out.size(); ++i)
    if (out[i] != 0) return ::testing::AssertionFailure() << "sound at sample " << i / 2;
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST(VirtualClock, ALoopingSoundStartsWithTheSceneAndLoopsUntilTheNextPicture) {
  TAudioShow a;
  a.project.Setting().Duration = 2;
  const std::vector<int16_t> tone = Tone(440, 0.25, 12000);
  WriteWav(a.dir / "tone.wav", tone);
  // Stored as a path of the authoring computer: found by its name in the working folder.
  const std::string scene = a.Scene("lake.kyp", {Slot("C:\\Sounds\\tone.wav", 0)});
  const std::vector<int16_t> out = a.Run({scene, a.Plain("b.bmp")}, 100);
  // The plain picture replaces the scene at the first frame 2 s after the start.
  const size_t change = SampleOfTick(FrameTickAtOrAfter(2000));
  EXPECT_EQ(change, SampleOfTick(2013));
  EXPECT_TRUE(LoopsThrough(out, tone, 0, change));
  EXPECT_TRUE(SilentFrom(out, change));
}

TEST(VirtualClock, AFixedIntervalPlaysTenAndTwentySecondsAfterTheSceneIsShown) {
  TAudioShow a;
  WriteWav(a.dir / "beep.wav", Tone(880, 0.1, 8000));
  const std::string scene = a.Scene("lake.kyp", {Slot("beep.wav", 2, 10)});
  const std::vector<int16_t> out = a.Run({scene}, 700);
  // Each interval counts from the frame that started the sound before.
  const uint32_t first = FrameTickAtOrAfter(10000);
  const uint32_t second = FrameTickAtOrAfter(first + 10000);
  EXPECT_EQ(first, 10032u);
  EXPECT_EQ(second, 20064u);
  EXPECT_EQ(Onsets(out), (std::vector<size_t>{SampleOfTick(first), SampleOfTick(second)}));
  EXPECT_NEAR(ToneAmplitude(out, 880, SampleOfTick(first), 4410), 8000, 80);
}

TEST(VirtualClock, ARandomIntervalStaysWithinItsBounds) {
  // The bounds in either order; the upper one is never reached.
  for (const auto& [lo, hi] : std::vector<std::pair<int, int>>{{2, 5}, {5, 2}}) {
    TAudioShow a;
    WriteWav(a.dir / "beep.wav", Tone(880, 0.1, 8000));
    const std::string scene = a.Scene("lake.kyp", {Slot("beep.wav", 1, lo, hi)});
    const std::vector<int16_t> out = a.Run({scene}, 1200);  // 39.6 s
    const std::vector<size_t> onsets = Onsets(out);
    ASSERT_GE(onsets.size(), 8u) << lo << "-" << hi;
    std::set<size_t> gaps;
    size_t previous = 0;
    for (const size_t at : onsets) {
      const size_t gap = at - previous;
      // At least 2 whole seconds, at most 4 whole seconds and the frame that notices them.
      EXPECT_GE(gap, SampleOfTick(2000)) << lo << "-" << hi;
      EXPECT_LE(gap, SampleOfTick(4000 + 33)) << lo << "-" << hi;
      gaps.insert(gap / SampleOfTick(1000));
      previous = at;
    }
    EXPECT_GE(gaps.size(), 2u) << "every interval was the same";
  }
}

TEST(VirtualClock, AMissingSlotKeepsItsNumberAndTheNextPlaysItsOwnFile) {
  TAudioShow a;
  const std::vector<int16_t> beep = Tone(880, 0.2, 9000);
  WriteWav(a.dir / "beep.wav", beep);
  const std::string scene = a.Scene("lake.kyp", {Slot("gone.wav", 0), Slot("beep.wav", 0)});
  const std::vector<int16_t> out = a.Run({scene}, 60);
  EXPECT_TRUE(LoopsThrough(out, beep, 0, out.size() / 2));
}

TEST(VirtualClock, TheVolumeIsHundredthsOfADecibelBelowFullLevel) {
  struct TCase {
    int volume;
    double gain;  // 10^((volume * 40 - 4000) / 2000)
  };
  for (const TCase c : {TCase{100, 1.0}, TCase{80, 0.398107}, TCase{50, 0.1}, TCase{0, 0.01}}) {
    TAudioShow a;
    a.project.Setting().SoundVolume = c.volume;
    WriteWav(a.dir / "tone.wav", Tone(440, 0.5, 20000));
    const std::vector<int16_t> out = a.Run({a.Scene("lake.kyp", {Slot("tone.wav", 0)})}, 60);
    const double level = ToneAmplitude(out, 440, 0, 22050);
    EXPECT_NEAR(level / 20000, c.gain, c.gain * 0.01) << "volume " << c.volume;
  }
}

TEST(VirtualClock, WithoutEightChannelsOnlySoundZeroPlaysAtFullLevel) {
  TAudioShow a(/*channels=*/4);
  a.project.Setting().SoundVolume = 80;
  const std::vector<int16_t> tone = Tone(440, 0.25, 12000);
  WriteWav(a.dir / "tone.wav", tone);
  WriteWav(a.dir / "beep.wav", Tone(880, 0.1, 8000));
  const std::string scene = a.Scene("lake.kyp", {Slot("tone.wav", 0), Slot("beep.wav", 2, 1)});
  const std::vector<int16_t> out = a.Run({scene}, 100);
  // Looping, at full level whatever the volume, and the other slot never sounds.
  EXPECT_TRUE(LoopsThrough(out, tone, 0, out.size() / 2));
}

TEST(VirtualClock, SoundOffPlaysNothing) {
  TAudioShow a;
  a.project.Setting().Sound = false;
  WriteWav(a.dir / "tone.wav", Tone(440, 0.25, 12000));
  const std::vector<int16_t> out = a.Run({a.Scene("lake.kyp", {Slot("tone.wav", 0)})}, 60);
  EXPECT_TRUE(SilentFrom(out, 0));
}

TEST(VirtualClock, DamagedEmptyOrForeignSoundFilesRunSilent) {
  TAudioShow a;
  const std::string good = WavBytes(Tone(440, 0.25, 12000));
  kytest::WriteFile(a.dir / "empty.wav", "");
  kytest::WriteFile(a.dir / "cut.wav", good.substr(0, 30));
  kytest::WriteFile(a.dir / "picture.wav", kytest::ReadFile(a.Plain("p.bmp")));
  std::string noData = good.substr(0, 44);
  noData[40] = noData[41] = noData[42] = noData[43] = 0;
  kytest::WriteFile(a.dir / "nodata.wav", noData);
  std::string zeroChannels = good;
  zeroChannels[22] = 0;
  kytest::WriteFile(a.dir / "nochannels.wav", zeroChannels);
  const std::string scene = a.Scene("lake.kyp", {Slot("empty.wav", 0), Slot("cut.wav", 0), Slot("picture.wav", 0),
                                                 Slot("nodata.wav", 0), Slot("nochannels.wav", 2, 0)});
  const std::vector<int16_t> out = a.Run({scene}, 60);
  EXPECT_EQ(a.host.FramesPresented(), 60);
  EXPECT_TRUE(SilentFrom(out, 0));
}

// ---- music ----

TEST(MusicList, PiecesAreSplitAtSemicolonsAndBareNamesLieInTheWorkingFolder) {
  struct TCase {
    const char* text;
    std::vector<std::string> list;
  };
  const std::vector<TCase> cases = {
      {"a.mp3;b.wav;", {"/w/a.mp3", "/w/b.wav"}},
      {"a.mp3;b.wav", {"/w/a.mp3", "/w/b.wav"}},
      {"a.mp3;;b.wav", {"/w/a.mp3", "/w/b.wav"}},
      {"/music/a.ogg;C:\\My Music\\b.wma;", {"/music/a.ogg", "C:\\My Music\\b.wma"}},
      {";", {}},
      {"", {}},
  };
  for (const TCase& c : cases) EXPECT_EQ(ParseMusicList(c.text, "/w/"), c.list) << "\"" << c.text << "\"";
}

namespace {

// Which of the tracks (by tone frequency) sounds at each onset of the music.
std::vector<int> TrackOrder(const std::vector<int16_t>& out, const std::vector<double>& freqs) {
  std::vector<int> order;
  for (const size_t at : Onsets(out)) {
    int best = -1;
    double level = 0;
    for (size_t k = 0; k < freqs.size(); ++k) {
      const double l = ToneAmplitude(out, freqs[k], at, 2205);
      if (l > level) level = l, best = static_cast<int>(k) + 1;
    }
    order.push_back(best);
  }
  return order;
}

}  // namespace

TEST(Music, AOneEntryListPlaysItsTrackAgainAndAgain) {
  TAudioShow a;
  const std::vector<int16_t> track = Tone(300, 1.0, 10000);
  WriteWav(a.dir / "KyMusic0.wav", track);
  a.project.Setting().Music = true;
  a.project.Setting().MusicFile = "KyMusic0.wav;";
  const std::vector<int16_t> out = a.Run({a.Scene("lake.kyp", {})}, 100);
  // Each end is noticed at the next frame, which starts the track again.
  std::vector<size_t> expected = {0};
  for (;;) {
    const size_t end = expected.back() + track.size();
    uint32_t tick = 0;
    while (SampleOfTick(tick) < end) tick += 33;
    if (SampleOfTick(tick) >= out.size() / 2) break;
    expected.push_back(SampleOfTick(tick));
  }
  ASSERT_EQ(expected.size(), 4u);  // 3.3 s of 1 s tracks
  EXPECT_EQ(Onsets(out), expected);
  EXPECT_TRUE(LoopsThrough(out, track, 0, track.size()));
}

TEST(Music, ShuffleOfTwoAlternatesStrictly) {
  TAudioShow a;
  WriteWav(a.dir / "a.wav", Tone(300, 0.3, 9000));
  WriteWav(a.dir / "b.wav", Tone(500, 0.3, 9000));
  a.project.Setting().Music = true;
  a.project.Setting().MusicFile = "a.wav;b.wav";
  a.project.Setting().MusicMode = 0;
  const std::vector<int> order = TrackOrder(a.Run({a.Scene("lake.kyp", {})}, 200), {300, 500});
  ASSERT_GE(order.size(), 15u);
  for (size_t i = 1; i < order.size(); ++i) EXPECT_NE(order[i], order[i - 1]) << "track " << i;
}

TEST(Music, InOrderTheTracksChainOneTwoThreeOne) {
  TAudioShow a;
  WriteWav(a.dir / "1.wav", Tone(300, 0.3, 9000));
  WriteWav(a.dir / "2.wav", Tone(500, 0.3, 9000));
  WriteWav(a.dir / "3.wav", Tone(700, 0.3, 9000));
  a.project.Setting().Music = true;
  a.project.Setting().MusicFile = "1.wav;2.wav;3.wav;";
  a.project.Setting().MusicMode = 1;
  const std::vector<int> order = TrackOrder(a.Run({a.Scene("lake.kyp", {})}, 60), {300, 500, 700});
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 1, 2, 3}));
}

TEST(Music, TheVolumeIsALinearGainOfItsTenfoldOnAThousand) {
  TAudioShow a;
  WriteWav(a.dir / "m.wav", Tone(300, 1.0, 20000));
  a.project.Setting().Music = true;
  a.project.Setting().MusicFile = "m.wav";
  a.project.Setting().MusicVolume = 40;
  const std::vector<int16_t> out = a.Run({a.Scene("lake.kyp", {})}, 20);
  EXPECT_NEAR(ToneAmplitude(out, 300, 0, 22050) / 20000, 0.4, 0.004);
}

TEST(Music, AFirstTrackThatCannotBeOpenedMeansNoMusicAndNoMessage) {
  TAudioShow a;
  kytest::WriteFile(a.dir / "bad.mp3", "not music at all");
  WriteWav(a.dir / "good.wav", Tone(300, 0.3, 9000));
  a.project.Setting().Music = true;
  a.project.Setting().MusicFile = "bad.mp3;good.wav";
  a.project.Setting().MusicMode = 1;
  const std::vector<int16_t> out = a.Run({a.Scene("lake.kyp", {})}, 60);
  EXPECT_TRUE(SilentFrom(out, 0));
  EXPECT_EQ(a.host.LastMessage(), "");
}

TEST(Music, ALaterTrackThatCannotBeOpenedStopsTheChainAndSaysWhy) {
  TAudioShow a;
  const std::vector<int16_t> track = Tone(300, 0.3, 9000);
  WriteWav(a.dir / "good.wav", track);
  kytest::WriteFile(a.dir / "bad.mp3", "not music at all");
  a.project.Setting().Music = true;
  a.project.Setting().MusicFile = "good.wav;bad.mp3;good.wav";
  a.project.Setting().MusicMode = 1;
  const std::vector<int16_t> out = a.Run({a.Scene("lake.kyp", {})}, 60);
  EXPECT_TRUE(LoopsThrough(out, track, 0, track.size()));
  EXPECT_TRUE(SilentFrom(out, track.size()));
  EXPECT_NE(a.host.LastMessage().find("bad.mp3"), std::string::npos) << a.host.LastMessage();
}
