#pragma once
// The full-screen presentation's stretch: a working-size frame drawn bilinearly over the whole
// screen, fast enough for every frame on one core.
//
// Rule (pixel centres aligned, positions in 1/64 of a pixel): destination column x samples
// source column p = ((2x + 1) w - W) * 64 div (2 W) (w, W: source and destination widths, div
// rounding down), clamped to 0 .. (w - 1) * 64; x0 = p div 64, fx = p mod 64,
// x1 = min(x0 + 1, w - 1); rows alike. First each needed source row is filtered across,
// per channel h = (A (64 - fx) + B fx + 32) div 64 with A, B the pixels x0, x1 of that row;
// then each destination pixel is (h0 (64 - fy) + h1 fy + 32) div 64 with h0, h1 the filtered
// rows y0, y1. The result is opaque (alpha 255).
#include <cstdint>
#include <vector>

#include "graphics/uBitmap32.h"
#include "graphics/uGeometry.h"
#include "platform/uCpuFeatures.h"

namespace ky {

class TScreenStretch {
 public:
  // The kernels of that level (SSSE3 for Sse41, AVX2 and the plain ones for Reference); all give
  // the same pixels.
  explicit TScreenStretch(TKernelLevel level = WidestKernelLevel()) : FLevel(level) {}

  // Writes source stretched to width x height into rows of stride pixels starting at target.
  void Draw(const TBitmap32& source, uint32_t* target, int width, int height, int stride) {
    DrawRows(source, target, width, height, stride, 0, height);
  }
  // The same for the destination rows first .. end - 1 only (target is still row 0).
  void DrawRows(const TBitmap32& source, uint32_t* target, int width, int height, int stride, int first, int end) {
    DrawRect(source, target, width, height, stride, 0, first, width, end);
  }
  // The same for the destination columns left .. right - 1 of the rows top .. bottom - 1 only.
  void DrawRect(const TBitmap32& source, uint32_t* target, int width, int height, int stride, int left, int top,
                int right, int bottom);
  // The destination rows (of height rows, from a source of sourceHeight rows) that read any of
  // the source rows sourceFirst .. sourceLast: first .. end - 1, empty when end <= first. The
  // rule is the same across, so columns are found alike.
  static void RowsReading(int sourceFirst, int sourceLast, int sourceHeight, int height, int& first, int& end);
  // The destination area (of a width x height stretch of a sourceWidth x sourceHeight source)
  // that reads any pixel of the source area: what RowsReading gives across and down, from tables
  // kept for the sizes. Empty (Right = Left or Bottom = Top) when no pixel reads it.
  TRect AreaReading(const TRect& source, int sourceWidth, int sourceHeight, int width, int height);
  // The same into a surface, at its size.
  void Draw(const TBitmap32& source, TBitmap32& target) {
    Draw(source, target.Bits(), target.Width(), target.Height(), target.Width());
  }

  // The sampling position of destination index i along an axis of source size n and
  // destination size m, in 1/64 of a source pixel.
  static int32_t SamplePosition(int i, int n, int m);

 private:
  void Prepare(int sw, int sh, int dw, int dh);
  // Row y of the source filtered across, for the destination columns left .. right - 1, into one
  // of the two cached rows (indexed by destination column).
  const uint32_t* FilteredRow(const TBitmap32& source, int y, int left, int right);

  TKernelLevel FLevel;
  int FSw = 0, FSh = 0, FDw = 0, FDh = 0;
  // Per destination column: the left source column and the two weights (left, right), with the
  // last columns taken as weight 64 on their right neighbour so that every pair is in the row.
  std::vector<int32_t> FX0;
  // Per destination row: the first source row and the weight of the second.
  std::vector<int32_t> FY0;
  std::vector<uint8_t> FFy;
  // Per source index j (and one past the last): the first destination index that reads j or a
  // later one, and the first that reads only later ones; across, then down.
  std::vector<int32_t> FColFrom, FColPast, FRowFrom, FRowPast;
  std::vector<uint8_t> FWeights;  // 8 bytes per column: (left, right) four times
  std::vector<uint32_t> FRows[2];
  int FRowOf[2] = {-1, -1};
};

}  // namespace ky
