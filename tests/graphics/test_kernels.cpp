// The kernels of every level the processor runs against the plain reference ones: the same
// bytes for random inputs of many lengths (so every vector width and every tail is exercised).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "graphics/uKernels.h"

using namespace ky::kernels;
using ky::TKernelLevel;

namespace {

std::vector<uint32_t> RandomPixels(std::mt19937& rng, size_t n) {
  std::vector<uint32_t> v(n);
  for (auto& p : v) p = rng();
  return v;
}

// Weights of a windowed-sinc-like shape: positive centre, negative side lobes, sum 2^14.
std::vector<int16_t> RandomWeights(std::mt19937& rng, int taps) {
  std::vector<int16_t> w(taps, 0);
  int sum = 0;
  for (int k = 0; k < taps; ++k) {
    const int v = static_cast<int>(rng() % 9000) - 1500;
    w[k] = static_cast<int16_t>(v);
    sum += v;
  }
  w[taps / 2] = static_cast<int16_t>(w[taps / 2] + (16384 - sum));
  return w;
}

const size_t kLengths[] = {0, 1, 3, 4, 7, 8, 15, 16, 17, 31, 33, 64, 100, 1023};

}  // namespace

class KernelLevel : public testing::TestWithParam<TKernelLevel> {};

INSTANTIATE_TEST_SUITE_P(Runnable, KernelLevel, testing::ValuesIn(ky::RunnableKernelLevels()),
                         [](const testing::TestParamInfo<TKernelLevel>& i) { return ky::KernelLevelName(i.param); });

TEST(Kernels, EachLevelHasItsOwnTable) {
  EXPECT_EQ(&KernelsFor(TKernelLevel::Reference), &ReferenceKernels());
  EXPECT_EQ(&KernelsFor(TKernelLevel::Sse41), &Sse41Kernels());
  EXPECT_EQ(&KernelsFor(TKernelLevel::Avx2), &Avx2Kernels());
  EXPECT_EQ(&Kernels(), &KernelsFor(ky::WidestKernelLevel()));
#if defined(__x86_64__)
  EXPECT_NE(Sse41Kernels().BlendFade, ReferenceKernels().BlendFade);
  EXPECT_NE(Avx2Kernels().BlendFade, Sse41Kernels().BlendFade);
  EXPECT_NE(Avx2Kernels().VerticalPass, Sse41Kernels().VerticalPass);
#endif
}

TEST_P(KernelLevel, BlendFadeMatchesReference) {
  std::mt19937 rng(1);
  for (const size_t n : kLengths)
    for (const int alpha : {0, 1, 77, 128, 255, 256}) {
      const auto src = RandomPixels(rng, n);
      auto a = RandomPixels(rng, n);
      auto b = a;
      ReferenceKernels().BlendFade(a.data(), src.data(), n, alpha);
      KernelsFor(GetParam()).BlendFade(b.data(), src.data(), n, alpha);
      ASSERT_EQ(a, b) << "n " << n << " alpha " << alpha;
    }
}

TEST_P(KernelLevel, BlendSpanAndRowMatchReference) {
  std::mt19937 rng(2);
  for (const size_t n : kLengths) {
    for (const uint32_t F : {0x00FFFFFFu, 0xFF123456u, 0x80FF00FFu, 0x01010101u, 0x7Fu << 24}) {
      auto a = RandomPixels(rng, n);
      auto b = a;
      ReferenceKernels().BlendSpan(a.data(), n, F);
      KernelsFor(GetParam()).BlendSpan(b.data(), n, F);
      ASSERT_EQ(a, b) << "span n " << n;
    }
    for (const uint32_t master : {0u, 1u, 128u, 254u, 255u}) {
      const auto src = RandomPixels(rng, n);
      auto a = RandomPixels(rng, n);
      auto b = a;
      ReferenceKernels().BlendRow(a.data(), src.data(), n, master);
      KernelsFor(GetParam()).BlendRow(b.data(), src.data(), n, master);
      ASSERT_EQ(a, b) << "row n " << n << " master " << master;
    }
  }
}

TEST_P(KernelLevel, BilinearRowMatchesReference) {
  std::mt19937 rng(3);
  const size_t width = 300;
  const auto r0 = RandomPixels(rng, width), r1 = RandomPixels(rng, width);
  for (const size_t n : kLengths) {
    std::vector<int32_t> x0(n), fx(n);
    for (size_t j = 0; j < n; ++j) {
      x0[j] = static_cast<int32_t>(rng() % (width - 1));
      fx[j] = j % 5 == 0 ? 0 : static_cast<int32_t>(rng() % 32768);
    }
    for (const int32_t fy : {0, 1, 16384, 32767}) {
      std::vector<uint32_t> a(n), b(n);
      ReferenceKernels().BilinearRow(a.data(), r0.data(), r1.data(), x0.data(), fx.data(), n, fy);
      KernelsFor(GetParam()).BilinearRow(b.data(), r0.data(), r1.data(), x0.data(), fx.data(), n, fy);
      ASSERT_EQ(a, b) << "n " << n << " fy " << fy;
    }
  }
}

TEST_P(KernelLevel, BilinearRowMatchesReferenceAtTheExtremes) {
  // Pixels of only 0 and 255 bytes against the largest and smallest weights, on long rows with
  // the column order of a real resize (rising, each column used by one or more pixels).
  std::mt19937 rng(5);
  const size_t width = 2000;
  std::vector<uint32_t> r0(width), r1(width);
  for (size_t i = 0; i < width; ++i) {
    r0[i] = (rng() % 2 ? 0xFF00FF00u : 0x00FF00FFu) ^ (rng() % 3 == 0 ? 0xFFFFFFFFu : 0u);
    r1[i] = rng() % 2 ? 0xFFFFFFFFu : 0u;
  }
  for (const size_t n : {size_t{8}, size_t{1919}, size_t{1920}, size_t{3999}}) {
    std::vector<int32_t> x0(n), fx(n);
    for (size_t j = 0; j < n; ++j) {
      x0[j] = static_cast<int32_t>(j * (width - 1) / n);
      const int32_t pick[] = {0, 1, 32767, 16384, static_cast<int32_t>(rng() % 32768)};
      fx[j] = pick[rng() % 5];
    }
    for (const int32_t fy : {0, 1, 2, 16383, 32766, 32767}) {
      std::vector<uint32_t> a(n), b(n);
      ReferenceKernels().BilinearRow(a.data(), r0.data(), r1.data(), x0.data(), fx.data(), n, fy);
      KernelsFor(GetParam()).BilinearRow(b.data(), r0.data(), r1.data(), x0.data(), fx.data(), n, fy);
      ASSERT_EQ(a, b) << "n " << n << " fy " << fy;
    }
  }
}

TEST_P(KernelLevel, ResamplingPassesMatchReference) {
  std::mt19937 rng(4);
  for (const int taps : {1, 2, 3, 4, 6, 8, 13, 16, 17, 40}) {
    for (const size_t n : kLengths) {
      // Vertical: n bytes from `taps` rows.
      std::vector<std::vector<uint8_t>> rowData(taps, std::vector<uint8_t>(n + 1));
      std::vector<const uint8_t*> rows(taps);
      for (int k = 0; k < taps; ++k) {
        for (auto& v : rowData[k]) v = static_cast<uint8_t>(rng() % 2 ? 255 : rng());
        rows[k] = rowData[k].data();
      }
      const auto w = RandomWeights(rng, taps);
      std::vector<int16_t> a(n), b(n);
      ReferenceKernels().VerticalPass(a.data(), rows.data(), w.data(), taps, n);
      KernelsFor(GetParam()).VerticalPass(b.data(), rows.data(), w.data(), taps, n);
      ASSERT_EQ(a, b) << "vertical taps " << taps << " n " << n;

      // Horizontal: n output pixels.
      const size_t inWidth = n + taps + 8;
      // What the vertical pass hands on: 8.6 fixed point with some ringing below 0 and above 255.
      std::vector<int16_t> in(inWidth * 4);
      for (auto& v : in) v = static_cast<int16_t>(static_cast<int>(rng() % 22000) - 4000);
      std::vector<int32_t> start(n);
      std::vector<int16_t> hw;
      for (size_t j = 0; j < n; ++j) {
        start[j] = static_cast<int32_t>(rng() % (inWidth - taps + 1));
        const auto wj = RandomWeights(rng, taps);
        hw.insert(hw.end(), wj.begin(), wj.end());
      }
      std::vector<uint32_t> ha(n), hb(n);
      ReferenceKernels().HorizontalPass(ha.data(), in.data(), start.data(), hw.data(), taps, n);
      KernelsFor(GetParam()).HorizontalPass(hb.data(), in.data(), start.data(), hw.data(), taps, n);
      ASSERT_EQ(ha, hb) << "horizontal taps " << taps << " n " << n;
    }
  }
}
