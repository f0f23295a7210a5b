#include "scene/engine/uRegionMap.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "platform/uMemory.h"

namespace ky {

void TRegionMap::TGrid::TFreeDeleter::operator()(int16_t* p) const noexcept { std::free(p); }

void TRegionMap::TGrid::Resize(size_t count) {
  if (count <= FCapacity) return;
  FData.reset();
  FCapacity = 0;
  void* p = AllocateLarge(count * sizeof(int16_t));
  if (p == nullptr) throw std::bad_alloc();
  FData.reset(static_cast<int16_t*>(p));
  FCapacity = count;
}

void TRegionMap::Reset(int width, int height) {
  FWidth = width;
  FHeight = height;
  FGrid.Resize(static_cast<size_t>(width) * height);
  FTopRow.fill(kNoTopRow);
  FBottomRow.fill(kNoBottomRow);
  FRuns.clear();
  FRowRuns.assign(static_cast<size_t>(height) + 1, 0);
  FRowStart = 0;
}

void TRegionMap::MakeDry() { std::fill_n(FGrid.data(), static_cast<size_t>(FWidth) * FHeight, int16_t{-1}); }

void TRegionMap::NoteRow(int k, int y) {
  FTopRow[static_cast<size_t>(k)] = std::min(FTopRow[static_cast<size_t>(k)], y);
  FBottomRow[static_cast<size_t>(k)] = std::max(FBottomRow[static_cast<size_t>(k)], y);
}

void TRegionMap::AddRun(int x0, int x1, int k) {
  // Runs are kept maximal: Covers relies on it.
  if (FRuns.size() > FRowStart && FRuns.back().K == k && FRuns.back().X1 == x0) {
    FRuns.back().X1 = x1;
    return;
  }
  FRuns.push_back(TRun{x0, x1, k});
}

bool TRegionMap::Covers(int y, int x0, int x1, int k) const {
  if (x0 >= x1) return true;
  const TRun* first = RunsBegin(y);
  const TRun* last = RunsEnd(y);
  // The last run starting at or before x0; runs are maximal, so it alone can cover x0 .. x1.
  const TRun* r = std::upper_bound(first, last, x0, [](int x, const TRun& run) { return x < run.X0; });
  if (r == first) return false;
  --r;
  return r->K == k && r->X1 >= x1;
}

bool TRegionMap::RowsCover(int y0, int y1, int x0, int x1, int k) const {
  for (int y = y0; y <= y1; ++y)
    if (!Covers(y, x0, x1, k)) return false;
  return true;
}

}  // namespace ky
