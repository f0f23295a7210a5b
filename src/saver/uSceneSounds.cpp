#include "uSceneSounds.h"

#include <sys/stat.h>

#include <algorithm>
#include <exception>

#include "platform/uText.h"
#include "scene/model/uKyProject.h"

namespace ky {

namespace {

bool IsFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

TSceneSounds::TSceneSounds(TSoundEffect& sounds, const TTickSource& ticks, TRandom& random, TMediaFolders folders)
    : FSounds(sounds), FTicks(ticks), FRandom(random), FFolders(std::move(folders)) {}

std::string TSceneSounds::FindSoundFile(const std::string& storedName) const {
  if (IsFile(storedName)) return storedName;
  const std::string name = FileNamePart(storedName);
  if (name.empty()) return {};
  for (const std::string& candidate : {FFolders.Work.empty() ? std::string() : FFolders.Work + name,
                                       FFolders.Common.empty() ? std::string() : FFolders.Common + "sounds/" + name,
                                       FFolders.Program.empty() ? std::string() : FFolders.Program + "sounds/" + name})
    if (IsFile(candidate)) return candidate;
  return {};
}

int64_t TSceneSounds::RandomInterval(int32_t minInterval, int32_t maxInterval) {
  const int64_t lo = std::min(minInterval, maxInterval), hi = std::max(minInterval, maxInterval);
  if (lo == hi) return minInterval;
  // Intervals that do not fit the generator's range are drawn within its range.
  const int64_t span = std::min<int64_t>(hi - lo, INT32_MAX);
  return lo + FRandom.Random(static_cast<int>(span));
}

void TSceneSounds::Load(const TProject& scene) {
  FCount = std::min(scene.SoundCount(), kSoundChannels);
  FState = {};
  try {
    for (int i = 0; i < FCount; ++i) {
      const TSoundSlot& slot = scene.SoundSlots()[static_cast<size_t>(i)];
      TSoundSlotState& s = FState[static_cast<size_t>(i)];
      FMode[static_cast<size_t>(i)] = slot.PlayMode;
      FMin[static_cast<size_t>(i)] = slot.MinInterval;
      FMax[static_cast<size_t>(i)] = slot.MaxInterval;
      s.StartTick = FTicks.Now();
      const std::string path = FindSoundFile(slot.FileName());
      // A slot whose file is found nowhere keeps its number empty; the next keep their own.
      if (path.empty()) continue;
      s.Loaded = true;
      try {
        FSounds.AddSound(i, path);
      } catch (const std::exception&) {
        s.Loaded = false;
        continue;
      }
      if (slot.PlayMode == 1) s.NextSec = RandomInterval(slot.MinInterval, slot.MaxInterval);
      else if (slot.PlayMode == 2) s.NextSec = slot.MinInterval;
    }
  } catch (const std::exception&) {
    // The slots handled so far stay as they are.
  }
}

void TSceneSounds::Fire(int slot, bool loop) {
  FSounds.Play(slot, loop);
  if (FPump) FPump();
}

void TSceneSounds::Tick() {
  try {
    for (int i = 0; i < FCount; ++i) {
      TSoundSlotState& s = FState[static_cast<size_t>(i)];
      if (!s.Loaded) continue;
      const uint32_t now = FTicks.Now();
      // The tick difference stays right when the 32-bit counter wraps.
      const int64_t elapsed = TickDiff(now, s.StartTick) / 1000;
      switch (FMode[static_cast<size_t>(i)]) {
        case 0:
          if (!s.Played) {
            s.Played = true;
            Fire(i, true);
          }
          break;
        case 1:
          if (elapsed >= s.NextSec) {
            s.StartTick = now;
            s.NextSec = RandomInterval(FMin[static_cast<size_t>(i)], FMax[static_cast<size_t>(i)]);
            Fire(i, false);
          }
          break;
        case 2:
          if (elapsed >= FMin[static_cast<size_t>(i)]) {
            s.StartTick = now;
            Fire(i, false);
          }
          break;
        default:
          break;  // other modes never play
      }
    }
  } catch (const std::exception&) {
    // A device in trouble costs this pass its sounds, not the show its frame.
  }
}

void TSceneSounds::Stop() {
  try {
    FSounds.StopAll();
  } catch (const std::exception&) {
  }
  FSounds.ClearSounds();
  FCount = 0;
  FState = {};
}

}  // namespace ky
