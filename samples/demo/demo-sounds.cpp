#include "demo-sounds.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kRate = 22050;

void WriteWav(const std::string& path, const std::vector<double>& s) {
  std::string b(44 + s.size() * 2, '\0');
  auto put = [&](size_t at, uint32_t v, int n) { for (int k = 0; k < n; ++k) b[at + k] = static_cast<char>(v >> (8 * k)); };
  b.replace(0, 4, "RIFF");
  put(4, static_cast<uint32_t>(36 + s.size() * 2), 4);
  b.replace(8, 8, "WAVEfmt ");
  put(16, 16, 4);
  put(20, 1, 2);
  put(22, 1, 2);
  put(24, kRate, 4);
  put(28, kRate * 2, 4);
  put(32, 2, 2);
  put(34, 16, 2);
  b.replace(36, 4, "data");
  put(40, static_cast<uint32_t>(s.size() * 2), 4);
  for (size_t i = 0; i < s.size(); ++i)
    put(44 + 2 * i, static_cast<uint16_t>(static_cast<int16_t>(std::lround(std::fmax(-1.0, std::fmin(1.0, s[i])) * 32767))), 2);
  std::ofstream out(path, std::ios::binary);
  out.write(b.data(), static_cast<std::streamsize>(b.size()));
  if (!out) throw std::runtime_error(path + ": cannot write the file");
}

// A small deterministic noise generator, so every build writes the same sounds.
struct TNoise {
  uint32_t seed = 12345;
  double Next() {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / double(1 << 24) * 2 - 1;
  }
};

// Rain: noise smoothed twice, with a few louder drops. The smoothing wraps round the end, so
// the sound loops without a seam.
std::vector<double> Rain() {
  const size_t n = kRate * 2;
  TNoise noise;
  std::vector<double> s(n);
  for (double& x : s) x = noise.Next();
  std::vector<double> t(n);
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < n; ++i) t[i] = 0.25 * s[(i + n - 1) % n] + 0.5 * s[i] + 0.25 * s[(i + 1) % n];
    s.swap(t);
  }
  for (int d = 0; d < 40; ++d) {
    const size_t at = static_cast<size_t>((noise.Next() + 1) / 2 * (n - 1));
    for (size_t k = 0; k < 300; ++k) s[(at + k) % n] += 0.5 * std::exp(-k / 40.0) * noise.Next();
  }
  for (double& x : s) x *= 0.35;
  return s;
}

// A bell: inharmonic partials that die away at their own speed.
std::vector<double> Bell() {
  const size_t n = kRate * 5 / 2;
  const double partials[][3] = {{1.0, 1.0, 1.2}, {2.76, 0.5, 2.0}, {5.40, 0.25, 3.5}, {8.93, 0.12, 5.0}};
  std::vector<double> s(n);
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kRate;
    for (const auto& p : partials) s[i] += p[1] * std::exp(-t * p[2]) * std::sin(2 * M_PI * 523.25 * p[0] * t);
    s[i] *= 0.3 * std::fmin(1.0, t * 400);
  }
  return s;
}

// A tune of plucked notes (MIDI note numbers, 0 a rest), each a quarter second.
std::vector<double> Tune(const std::vector<int>& notes) {
  const size_t step = kRate / 4;
  std::vector<double> s(step * (notes.size() + 4));
  for (size_t k = 0; k < notes.size(); ++k) {
    if (notes[k] == 0) continue;
    const double f = 440.0 * std::pow(2.0, (notes[k] - 69) / 12.0);
    for (size_t i = 0; i < step * 4 && k * step + i < s.size(); ++i) {
      const double t = double(i) / kRate;
      s[k * step + i] += 0.22 * std::exp(-t * 3) * std::fmin(1.0, t * 300) *
                         (std::sin(2 * M_PI * f * t) + 0.3 * std::sin(4 * M_PI * f * t));
    }
  }
  return s;
}

}  // namespace

void WriteDemoSounds(const std::string& dir) {
  WriteWav(dir + "/rain.wav", Rain());
  WriteWav(dir + "/bell.wav", Bell());
  WriteWav(dir + "/demo-music-1.wav", Tune({60, 64, 67, 72, 67, 64, 60, 0, 62, 65, 69, 74, 69, 65, 62, 0,
                                            64, 67, 71, 76, 71, 67, 64, 0, 60, 64, 67, 72, 0, 0, 0, 0}));
  WriteWav(dir + "/demo-music-2.wav", Tune({69, 0, 72, 76, 0, 74, 72, 0, 71, 0, 74, 77, 0, 76, 74, 0,
                                            72, 71, 69, 0, 64, 0, 69, 0, 0, 0, 0, 0}));
}
