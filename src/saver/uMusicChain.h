#pragma once
// The show's background music: a playlist played track after track, in order or shuffled,
// without end. The device only marks that a track ended; the show's thread polls that mark and
// chains the next track, so every change of track happens on that thread.
#include <functional>
#include <string>
#include <vector>

#include "audio/uAudioDevice.h"
#include "platform/uRandom.h"

namespace ky {

class TKyCSetting;

// The playlist of a "MusicFile" text: ";"-separated pieces, empty ones skipped, a piece without a
// folder part taken from the working folder (workFolder ends in "/").
std::vector<std::string> ParseMusicList(const std::string& musicFile, const std::string& workFolder);

class TMusicChain {
 public:
  // reportError: tells the user that the chain stopped at a file that cannot be played.
  TMusicChain(TAudioDevice& device, TRandom& random, std::function<void(const std::string&)> reportError);
  ~TMusicChain();
  TMusicChain(const TMusicChain&) = delete;
  TMusicChain& operator=(const TMusicChain&) = delete;

  // Builds the playlist from the settings and starts the first track. A first track that cannot
  // be played means no music for the show, without a message.
  void Start(const TKyCSetting& settings, const std::string& workFolder);
  // Chains the next track when the device reports the end of the current one.
  void Poll();
  // The end of a track: the next one is opened and played. An error stops the chain and is
  // reported.
  void MediaPlayerNotify();
  void NextMusicIndex();
  // Closes the track; the chain ends.
  void Stop();

  bool MusicOn() const { return FMusicOn; }
  bool Chaining() const { return FChaining; }
  const std::vector<std::string>& MusicList() const { return FMusicList; }
  int MusicIndex() const { return FMusicIndex; }
  // 0-1000 as the device's linear gain 0-1.
  static double GainOfVolume(int musicVolume);

 private:
  void OpenAndPlay();

  TAudioDevice& FDevice;
  TRandom& FRandom;
  std::function<void(const std::string&)> FReportError;
  bool FMusicOn = false;
  bool FChaining = false;
  std::vector<std::string> FMusicList;
  int FMusicIndex = -1;
  int FMusicMode = 0;
  int FVolume = 100;
};

}  // namespace ky
