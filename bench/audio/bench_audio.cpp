// How soon a sound the show starts is mixed for the device: the time from PlayChannel to the
// first mixed buffer that holds the sound (the device then plays that buffer, which adds at most
// its own length, 1024 frames = 23 ms). The show starts a scene's looping sounds before it
// presents the scene's first frame, so this bounds the delay from first frame to sound.
// Run with the audio driver to measure, e.g. SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null.
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "audio/uMixerDevice.h"

namespace {

std::atomic<bool> gHeard{false};
std::atomic<int64_t> gHeardAt{0};

int64_t NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void PostMix(void*, Uint8* stream, int length) {
  if (gHeard.load()) return;
  const int16_t* s = reinterpret_cast<const int16_t*>(stream);
  for (int i = 0; i < length / 2; ++i)
    if (s[i] != 0) {
      gHeardAt.store(NowMicros());
      gHeard.store(true);
      return;
    }
}

std::string WriteTone() {
  const std::string path = "/tmp/bench-audio-" + std::to_string(getpid()) + ".wav";
  const int n = 44100 / 2;
  std::string b(44 + n * 2, '\0');
  auto put = [&](size_t at, uint32_t v, int k) { for (int i = 0; i < k; ++i) b[at + i] = static_cast<char>(v >> (8 * i)); };
  b.replace(0, 4, "RIFF");
  put(4, 36 + n * 2, 4);
  b.replace(8, 8, "WAVEfmt ");
  put(16, 16, 4);
  put(20, 1, 2);
  put(22, 1, 2);
  put(24, 44100, 4);
  put(28, 88200, 4);
  put(32, 2, 2);
  put(34, 16, 2);
  b.replace(36, 4, "data");
  put(40, n * 2, 4);
  for (int i = 0; i < n; ++i) put(44 + 2 * i, static_cast<uint16_t>(static_cast<int16_t>(8000 * std::cos(i * 0.0627))), 2);
  std::ofstream(path, std::ios::binary) << b;
  return path;
}

void BM_PlayToFirstMixedBuffer(benchmark::State& state) {
  ky::TMixerDevice device;
  if (!device.Available() || !device.OpenChannels(8)) {
    state.SkipWithError("no audio device");
    return;
  }
  const std::string tone = WriteTone();
  device.LoadChannel(0, tone);
  std::remove(tone.c_str());
  Mix_SetPostMix(PostMix, nullptr);
  for (auto _ : state) {
    device.StopChannel(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));  // silence in between
    gHeard.store(false);
    const int64_t t0 = NowMicros();
    device.PlayChannel(0, true, 1.0);
    while (!gHeard.load()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    state.SetIterationTime((gHeardAt.load() - t0) / 1e6);
  }
  Mix_SetPostMix(nullptr, nullptr);
}
BENCHMARK(BM_PlayToFirstMixedBuffer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace

BENCHMARK_MAIN();
