#pragma once
// The schedule of a scene's sound effects: which slots loaded, and when each plays again.
// Mode 0 loops from the moment the scene is shown; mode 1 plays once after a random interval,
// mode 2 after a fixed one, each interval counted from the slot's last start.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "audio/uSoundEffect.h"
#include "package/uCreatorProject.h"
#include "platform/uRandom.h"
#include "platform/uTicks.h"

namespace ky {

class TProject;

struct TSoundSlotState {
  bool Loaded = false;
  bool Played = false;
  uint32_t StartTick = 0;
  int64_t NextSec = 0;
};

class TSceneSounds {
 public:
  TSceneSounds(TSoundEffect& sounds, const TTickSource& ticks, TRandom& random, TMediaFolders folders);

  // Lets the window handle its pending messages after each sound started.
  void SetMessagePump(std::function<void()> pump) { FPump = std::move(pump); }

  // LoadSceneSounds: resets the schedule and loads the scene's used slots.
  void Load(const TProject& scene);
  // TickSceneSounds: plays every slot whose time has come.
  void Tick();
  // StopSceneSounds: stops every channel and forgets the files.
  void Stop();

  // The file a slot's stored name leads to: as stored, else by its file-name part in the
  // working folder, the shared media folder's "sounds" or the program folder's "sounds".
  // Empty when none exists.
  std::string FindSoundFile(const std::string& storedName) const;
  const TSoundSlotState& State(int slot) const { return FState.at(static_cast<size_t>(slot)); }

 private:
  int64_t RandomInterval(int32_t minInterval, int32_t maxInterval);
  void Fire(int slot, bool loop);

  TSoundEffect& FSounds;
  const TTickSource& FTicks;
  TRandom& FRandom;
  TMediaFolders FFolders;
  std::function<void()> FPump;
  int FCount = 0;
  std::array<TSoundSlotState, kSoundChannels> FState{};
  std::array<int32_t, kSoundChannels> FMode{}, FMin{}, FMax{};
};

}  // namespace ky
