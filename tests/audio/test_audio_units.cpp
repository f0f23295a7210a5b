// The sound reader, the music decoder, the player's gain and the per-user audio lock.
#include <gtest/gtest.h>
#include <unistd.h>

#include "audio/uAudioLock.h"
#include "audio/uMediaDecoder.h"
#include "audio/uSoundEffect.h"
#include "audio/uWaveSound.h"
#include "audio_helpers.h"
#include "platform/uError.h"

using namespace ky;
using namespace kyaudio;
using kytest::TTempDir;

TEST(WaveSound, MonoAt44100BecomesTheSameSamplesOnBothSides) {
  const std::vector<int16_t> tone = Tone(440, 0.1, 12000);
  const std::string bytes = WavBytes(tone);
  const TPcm pcm = DecodeWave(bytes.data(), bytes.size(), "tone.wav");
  ASSERT_EQ(pcm.Frames(), tone.size());
  for (size_t i = 0; i < tone.size(); ++i) {
    ASSERT_EQ(pcm.Samples[2 * i], tone[i]) << i;
    ASSERT_EQ(pcm.Samples[2 * i + 1], tone[i]) << i;
  }
}

TEST(WaveSound, EightBitAt22050IsResampledAndCentred) {
  // Unsigned 8-bit: 200 is 72 steps above the centre, 72 * 256 = 18432 in 16 bits.
  std::string b = WavBytes(std::vector<int16_t>(11025, 0), 1, 22050);
  b.resize(44 + 22050);
  b[34] = 8;  // bits per sample
  b[32] = 1;  // block align
  for (int k = 0; k < 4; ++k) b[28 + k] = static_cast<char>(22050 >> (8 * k));
  for (int k = 0; k < 4; ++k) b[40 + k] = static_cast<char>(22050 >> (8 * k));
  for (size_t i = 44; i < b.size(); ++i) b[i] = static_cast<char>(200);
  b.resize(44 + 22050);
  const TPcm pcm = DecodeWave(b.data(), b.size(), "eight.wav");
  EXPECT_NEAR(static_cast<double>(pcm.Frames()), 44100.0, 64.0);
  EXPECT_NEAR(pcm.Samples[pcm.Samples.size() / 2], 18432, 64);
}

TEST(WaveSound, WhatIsNoUsableWaveIsAnErrorNamingTheFile) {
  const std::string good = WavBytes(Tone(440, 0.05, 1000));
  std::string zeroRate = good;
  for (int k = 24; k < 32; ++k) zeroRate[k] = 0;
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"empty", ""},
      {"header only", good.substr(0, 12)},
      {"cut in the format", good.substr(0, 30)},
      {"no samples", good.substr(0, 44)},
      {"zero rate", zeroRate},
      {"a picture", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, 'x')},
      {"text", "RIFF but not really a wave file at all"},
  };
  for (const auto& [what, bytes] : cases) {
    try {
      DecodeWave(bytes.data(), bytes.size(), "bad.wav");
      ADD_FAILURE() << what << ": no error";
    } catch (const TKyError& e) {
      EXPECT_NE(std::string(e.what()).find("bad.wav"), std::string::npos) << what << ": " << e.what();
    }
  }
}

TEST(SoundEffect, VolumeIsHundredthsOfADecibel) {
  EXPECT_DOUBLE_EQ(TSoundEffect::GainOfVolume(100), 1.0);
  EXPECT_NEAR(TSoundEffect::GainOfVolume(80), 0.398107, 1e-6);  // -8 dB
  EXPECT_NEAR(TSoundEffect::GainOfVolume(0), 0.01, 1e-12);      // -40 dB
}

TEST(MediaDecoder, MusicFormatsOfTheSettingsDialogDecode) {
  TTempDir dir;
  // Made by the installed FFmpeg: a 300 Hz tone at 1/8 of full scale (4096), 1 s, mono.
  struct TCase {
    const char* name;
    const char* codec;
    double tolerance;  // lossy codecs
  };
  for (const TCase c : {TCase{"m.wma", "wmav2", 0.08}, TCase{"m.m4a", "aac", 0.08}, TCase{"m.mp3", "libmp3lame", 0.08},
                        TCase{"m.ogg", "libvorbis", 0.08}, TCase{"m.flac", "flac", 0.001}}) {
    std::string out;
    const int rc = kytest::RunCommand("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=300:sample_rate=44100:duration=1 -c:a " +
                                          std::string(c.codec) + " '" + dir / c.name + "'",
                                      &out);
    if (rc != 0 && std::string(c.codec).rfind("lib", 0) == 0) continue;  // an optional encoder missing
    ASSERT_EQ(rc, 0) << c.name << ": " << out;
    const TPcm pcm = DecodeMediaFile(dir / c.name);
    ASSERT_GT(pcm.Frames(), 40000u) << c.name;
    EXPECT_NEAR(ToneAmplitude(pcm.Samples, 300, 4410, 22050) / 4096, 1.0, c.tolerance) << c.name;
    EXPECT_NEAR(ToneAmplitude(pcm.Samples, 300, 4410, 22050, 1) / 4096, 1.0, c.tolerance) << c.name;
  }
}

TEST(MediaDecoder, AFileNoDecoderAcceptsIsAnError) {
  TTempDir dir;
  kytest::WriteFile(dir / "bad.wma", "not music at all");
  EXPECT_THROW(DecodeMediaFile(dir / "bad.wma"), TKyError);
  EXPECT_THROW(DecodeMediaFile(dir / "missing.wma"), TKyError);
}

TEST(AudioLock, OnlyOneHolderPlaysUntilItLetsGo) {
  TTempDir dir;
  const std::string path = dir / "audio.lock";
  {
    const TAudioLock first(path);
    const TAudioLock second(path);
    EXPECT_TRUE(first.MayPlay());
    EXPECT_FALSE(second.MayPlay());
  }
  // The holder leaves no file behind; the next start makes its own and holds it.
  EXPECT_NE(access(path.c_str(), F_OK), 0);
  {
    const TAudioLock third(path);
    EXPECT_TRUE(third.MayPlay());
    EXPECT_EQ(access(path.c_str(), F_OK), 0);
  }
}
