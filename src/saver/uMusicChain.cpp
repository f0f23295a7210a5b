#include "uMusicChain.h"

#include <algorithm>
#include <exception>

#include "package/uCreatorProject.h"

namespace ky {

std::vector<std::string> ParseMusicList(const std::string& musicFile, const std::string& workFolder) {
  std::vector<std::string> list;
  std::string text = musicFile;
  if (text.empty() || text.back() != ';') text += ';';
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find(';', at);
    const std::string piece = text.substr(at, end - at);
    at = end + 1;
    if (piece.empty()) continue;
    const bool hasFolder = piece.find_first_of("/\\") != std::string::npos || (piece.size() >= 2 && piece[1] == ':');
    list.push_back(hasFolder ? piece : workFolder + piece);
  }
  return list;
}

TMusicChain::TMusicChain(TAudioDevice& device, TRandom& random, std::function<void(const std::string&)> reportError)
    : FDevice(device), FRandom(random), FReportError(std::move(reportError)) {}

TMusicChain::~TMusicChain() {
  try {
    Stop();
  } catch (...) {
  }
}

double TMusicChain::GainOfVolume(int musicVolume) { return std::clamp(musicVolume * 10, 0, 1000) / 1000.0; }

void TMusicChain::Start(const TKyCSetting& s, const std::string& workFolder) {
  FMusicOn = s.Music && !s.MusicFile.empty();
  if (!FMusicOn) return;
  FMusicList = ParseMusicList(s.MusicFile, workFolder);
  FMusicMode = s.MusicMode;
  FVolume = s.MusicVolume;
  FMusicIndex = -1;
  if (FMusicList.empty()) return;
  NextMusicIndex();
  try {
    OpenAndPlay();
    FChaining = true;
  } catch (const std::exception&) {
    // The show runs without music.
    FDevice.CloseMusic();
  }
}

void TMusicChain::NextMusicIndex() {
  const int n = static_cast<int>(FMusicList.size());
  if (FMusicMode != 0) {
    ++FMusicIndex;
    if (FMusicIndex >= n) FMusicIndex = 0;
    return;
  }
  if (n < 2) {
    FMusicIndex = 0;
    return;
  }
  int i;
  do i = FRandom.Random(n);
  while (i == FMusicIndex);
  FMusicIndex = i;
}

void TMusicChain::OpenAndPlay() {
  FDevice.OpenMusic(FMusicList[static_cast<size_t>(FMusicIndex)]);
  FDevice.SetMusicGain(GainOfVolume(FVolume));
  FDevice.PlayMusic();
}

void TMusicChain::Poll() {
  if (FChaining && FDevice.TakeMusicFinished()) MediaPlayerNotify();
}

void TMusicChain::MediaPlayerNotify() {
  if (!FChaining || FMusicList.empty()) return;
  NextMusicIndex();
  FDevice.CloseMusic();
  try {
    OpenAndPlay();
  } catch (const std::exception& e) {
    FChaining = false;
    FDevice.CloseMusic();
    if (FReportError) FReportError(e.what());
  }
}

void TMusicChain::Stop() {
  FChaining = false;
  FDevice.CloseMusic();
}

}  // namespace ky
