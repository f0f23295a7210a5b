#include "uSoundSchedule.h"

#include <cstdio>

#include "audio/uAudioDevice.h"
#include "audio/uSoundEffect.h"
#include "platform/uRandom.h"
#include "platform/uText.h"
#include "saver/uSceneSounds.h"
#include "scene/model/uKyProject.h"

namespace ky {

namespace {

// Eight channels that play nothing and note when each is started.
class TStartRecorder final : public TAudioDevice {
 public:
  explicit TStartRecorder(const TTickSource& clock) : FClock(clock) {}
  bool OpenChannels(int) override { return true; }
  void LoadChannel(int, const std::string&) override {}
  void PlayChannel(int n, bool loop, double) override {
    if (n < 0 || n >= kSoundChannels) return;
    Starts[static_cast<size_t>(n)].push_back(FClock.Now());
    Loops[static_cast<size_t>(n)] = loop;
  }
  void StopChannel(int) override {}
  void PlayFallback(const std::string&, bool) override {}
  void StopFallback() override {}
  void OpenMusic(const std::string&) override {}
  void SetMusicGain(double) override {}
  void PlayMusic() override {}
  void CloseMusic() override {}
  bool TakeMusicFinished() override { return false; }

  std::array<std::vector<uint32_t>, kSoundChannels> Starts;
  std::array<bool, kSoundChannels> Loops{};

 private:
  const TTickSource& FClock;
};

}  // namespace

struct TSoundScheduleLog::TImpl {
  TImpl(const TTickSource& clock, const TProject& scene, const std::string& folder)
      : Start(clock.Now()), Device(clock), Effects(Device), Random(clock.Now()),
        Sounds(Effects, clock, Random, TMediaFolders{folder, "", ""}), Scene(scene) {
    Sounds.Load(scene);
  }
  uint32_t Start;
  TStartRecorder Device;
  TSoundEffect Effects;
  TRandom Random;  // seeded from the clock, as the show's
  TSceneSounds Sounds;
  const TProject& Scene;
};

TSoundScheduleLog::TSoundScheduleLog(const TTickSource& clock, const TProject& scene, const std::string& folder)
    : FImpl(std::make_unique<TImpl>(clock, scene, folder)) {}

TSoundScheduleLog::~TSoundScheduleLog() = default;

void TSoundScheduleLog::Tick() { FImpl->Sounds.Tick(); }

std::string TSoundScheduleLog::Text(const std::string& indent) const {
  std::string o;
  for (int i = 0; i < FImpl->Scene.SoundCount() && i < kSoundChannels; ++i) {
    const std::vector<uint32_t>& starts = FImpl->Device.Starts[static_cast<size_t>(i)];
    o += indent + "sound " + std::to_string(i + 1) + " ";
    if (!FImpl->Sounds.State(i).Loaded) {
      o += "is not played: " + TerminalText(FImpl->Scene.SoundSlots()[static_cast<size_t>(i)].FileName()) +
           " is not beside the description\n";
      continue;
    }
    if (starts.empty()) {
      o += "does not start within the preview\n";
      continue;
    }
    o += "starts at";
    for (size_t k = 0; k < starts.size(); ++k) {
      char t[32];
      std::snprintf(t, sizeof t, "%s %.2f", k ? "," : "", (starts[k] - FImpl->Start) / 1000.0);
      o += t;
    }
    o += FImpl->Device.Loops[static_cast<size_t>(i)] ? " s, looping\n" : " s\n";
  }
  return o;
}

}  // namespace ky
