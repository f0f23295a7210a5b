// The live show with the real mixer: SDL's disk audio driver records what it plays.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "audio_helpers.h"
#include "graphics/uJpegWriter.h"
#include "scene/file/uSceneWriter.h"

using namespace kyaudio;
using kytest::TTempDir;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";

void WriteScene(const std::string& path, const std::vector<ky::TSoundSlot>& slots) {
  ky::TSceneDescription d;
  ky::TBitmap32 photo(64, 48), mask(64, 48);
  photo.Clear(ky::MakeColor32(40, 90, 160));
  mask.Clear(ky::MakeColor32(0, 0, 255));
  d.PictureJpeg = ky::EncodeJpeg(photo, 90);
  d.PreviewJpeg = d.PictureJpeg;
  d.Width = 64;
  d.Height = 48;
  d.MaskPicture.Assign(mask);
  d.Sounds = slots;
  const std::vector<uint8_t> bytes = ky::EncodeSceneFile(d);
  kytest::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

off_t FileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

// Runs the saver's show with the disk audio driver until `seconds` of sound are recorded, then
// ends it with SIGTERM; returns the recording (16-bit stereo at 44.1 kHz).
std::vector<int16_t> RecordShow(const TTempDir& dir, const std::string& saver, double seconds, int* exitStatus) {
  const std::string raw = dir / "out.raw", tmp = dir / "tmp";
  mkdir(tmp.c_str(), 0700);
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("TMPDIR", tmp.c_str(), 1);
    unsetenv("XDG_RUNTIME_DIR");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    execl(saver.c_str(), saver.c_str(), "/S", static_cast<char*>(nullptr));
    _exit(127);
  }
  const off_t want = static_cast<off_t>(seconds * kRate) * 4;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (FileSize(raw) < want && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  kill(pid, SIGTERM);
  int status = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const std::string bytes = kytest::ReadFile(raw);
  std::vector<int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

int FilesBelow(const std::string& folder) {
  int n = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
    n += e.is_regular_file() || e.is_symlink();
  return n;
}

}  // namespace

TEST(LiveAudio, TheShowPlaysItsLoopingSoundAndWmaMusicAtTheirLevels) {
  TTempDir dir;
  WriteWav(dir / "tone.wav", Tone(440, 0.5, 12000));
  ky::TSoundSlot slot;
  slot.SetFileName("D:\\Authoring\\tone.wav");
  slot.PlayMode = 0;
  WriteScene(dir / "lake.kyp", {slot});
  // The music: WMA made by the installed FFmpeg, a 300 Hz tone at 1/8 of full scale (4096).
  std::string out;
  ASSERT_EQ(kytest::RunCommand("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=300:sample_rate=44100:duration=8"
                               " -c:a wmav2 -b:a 128k '" + dir / "music.wma" + "'", &out), 0) << out;
  kytest::WriteFile(dir / "saver.ini",
                    "[Default]\nStretch=0\nSoundVolume=80\nMusicVolume=50\nDuration=600\n"
                    "[Pictures]\nlake.kyp\n[Music]\nmusic.wma\n");
  ASSERT_EQ(kytest::RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Lake.scr" + "'", &out), 0) << out;

  int status = -1;
  const std::vector<int16_t> rec = RecordShow(dir, dir / "Lake.scr", 3.0, &status);
  EXPECT_EQ(status, 0);
  ASSERT_GE(rec.size(), static_cast<size_t>(3 * kRate * 2));
  // One second well inside the show: the sound at -8 dB, the music at half its level.
  const size_t from = kRate, frames = kRate;
  EXPECT_NEAR(ToneAmplitude(rec, 440, from, frames) / (12000 * 0.398107), 1.0, 0.03);
  EXPECT_NEAR(ToneAmplitude(rec, 440, from, frames, 1) / (12000 * 0.398107), 1.0, 0.03);
  EXPECT_NEAR(ToneAmplitude(rec, 300, from, frames) / (4096 * 0.5), 1.0, 0.1);
  // Nothing of the show is left behind.
  EXPECT_EQ(FilesBelow(dir / "tmp"), 0);
}

TEST(LiveAudio, MidiMusicPlaysWithTheInstalledSoundFont) {
  TTempDir dir;
  // Format 0, 480 ticks a quarter note at the default 120 bpm: eight piano notes of 0.5 s.
  std::string events = std::string("\x00\xC0\x00", 3);
  for (const int note : {60, 64, 67, 72, 67, 64, 60, 64})
    events += std::string("\x00\x90", 2) + static_cast<char>(note) + "\x64" + std::string("\x83\x60\x80", 3) +
              static_cast<char>(note) + std::string(1, '\0');
  events += std::string("\x00\xFF\x2F\x00", 4);
  auto be32 = [](uint32_t v) { return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)}; };
  kytest::WriteFile(dir / "tune.mid", "MThd" + be32(6) + std::string("\x00\x00\x00\x01\x01\xE0", 6) + "MTrk" +
                                          be32(static_cast<uint32_t>(events.size())) + events);
  WriteScene(dir / "lake.kyp", {});
  kytest::WriteFile(dir / "saver.ini", "[Default]\nStretch=0\nDuration=600\n[Pictures]\nlake.kyp\n[Music]\ntune.mid\n");
  std::string out;
  ASSERT_EQ(kytest::RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Midi.scr" + "'", &out), 0) << out;
  int status = -1;
  const std::vector<int16_t> rec = RecordShow(dir, dir / "Midi.scr", 2.5, &status);
  EXPECT_EQ(status, 0);
  ASSERT_GE(rec.size(), static_cast<size_t>(2 * kRate * 2));
  // The notes sound: the loudest sample of each half second from 0.5 s to 2 s is well above silence.
  for (size_t from = kRate / 2; from < 2 * kRate; from += kRate / 2) {
    int peak = 0;
    for (size_t t = from; t < from + kRate / 2; ++t) peak = std::max(peak, std::abs(static_cast<int>(rec[2 * t])));
    EXPECT_GT(peak, 1000) << "at sample " << from;
  }
}

namespace {

// A saver process with the disk audio driver, its own recording file and statistics file.
class THackProcess {
 public:
  THackProcess(const TTempDir& dir, const std::string& saver, const std::string& name) : FRaw(dir / (name + ".raw")), FStats(dir / (name + ".stats")) {
    const std::string tmp = dir / "tmp", run = dir / "run";
    mkdir(tmp.c_str(), 0700);
    mkdir(run.c_str(), 0700);
    FPid = fork();
    if (FPid == 0) {
      setenv("TMPDIR", tmp.c_str(), 1);
      setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
      unsetenv("XSCREENSAVER_WINDOW");
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", FRaw.c_str(), 1);
      setenv("KYSAVER_STATS", FStats.c_str(), 1);
      execl(saver.c_str(), saver.c_str(), "-root", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~THackProcess() { End(); }
  // Ends it with SIGTERM; its exit status.
  int End() {
    if (FPid <= 0) return FStatus;
    kill(FPid, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (waitpid(FPid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(FPid, SIGKILL);
        waitpid(FPid, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    FPid = -1;
    FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return FStatus;
  }
  // Waits until the recording holds `seconds` of sound; false at the deadline.
  bool WaitForSound(double seconds) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (FileSize(FRaw) < static_cast<off_t>(seconds * kRate) * 4)
      if (std::chrono::steady_clock::now() > deadline) return false;
      else std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return true;
  }
  bool Recorded() const { return kytest::Exists(FRaw); }
  // The frames the show stepped, from its statistics (0 when none were written).
  int Frames() const {
    const std::string s = kytest::ReadFile(FStats);
    const size_t at = s.find("frames ");
    return at == std::string::npos ? 0 : std::atoi(s.c_str() + at + 7);
  }

 private:
  std::string FRaw, FStats;
  pid_t FPid = -1;
  int FStatus = -1;
};

}  // namespace

TEST(LiveAudio, OfTwoHacksOfOneUserOnlyOnePlays) {
  TTempDir dir;
  WriteWav(dir / "tone.wav", Tone(440, 0.5, 12000));
  ky::TSoundSlot slot;
  slot.SetFileName("tone.wav");
  WriteScene(dir / "lake.kyp", {slot});
  kytest::WriteFile(dir / "saver.ini", "[Default]\nStretch=0\nDuration=600\n[Pictures]\nlake.kyp\n");
  std::string out;
  ASSERT_EQ(kytest::RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Lake.scr" + "'", &out), 0) << out;

  THackProcess first(dir, dir / "Lake.scr", "first");
  ASSERT_TRUE(first.WaitForSound(0.5)) << "the first hack does not play";
  THackProcess second(dir, dir / "Lake.scr", "second");
  // The first plays on for two more seconds while the second runs its show beside it.
  ASSERT_TRUE(first.WaitForSound(2.5));
  EXPECT_EQ(second.End(), 0);
  EXPECT_EQ(first.End(), 0);
  EXPECT_GT(second.Frames(), 0) << "the second hack never showed a frame";
  EXPECT_FALSE(second.Recorded()) << "the second hack opened the sound device";
}
