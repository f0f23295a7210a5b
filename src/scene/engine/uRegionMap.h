#pragma once
// TRegionMap: the wave set of every pixel of a scene (0-5, or -1 for dry land), with the rows
// each wave set reaches and the runs of one wave set in each row, found once per scene.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "scene/records/uSceneRecords.h"

namespace ky {

class TRegionMap {
 public:
  // The top row of a wave set that has no water, and its bottom row then.
  static constexpr int kNoTopRow = 50000;
  static constexpr int kNoBottomRow = 0;

  // A run of wave set K from column X0 to X1 - 1.
  struct TRun {
    int X0, X1;
    int K;
  };

  // Sizes the map and forgets every run and row; the pixels are undefined until written.
  void Reset(int width, int height);
  // Every pixel dry land.
  void MakeDry();

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int16_t* Row(int y) { return FGrid.data() + static_cast<size_t>(y) * FWidth; }
  const int16_t* Row(int y) const { return FGrid.data() + static_cast<size_t>(y) * FWidth; }
  const int16_t* Data() const { return FGrid.data(); }
  int At(int x, int y) const { return Row(y)[x]; }
  int TopRow(int k) const { return FTopRow[static_cast<size_t>(k)]; }
  int BottomRow(int k) const { return FBottomRow[static_cast<size_t>(k)]; }

  // Building, row after row: NoteRow for every wave set found in the row, BeginRow, then the
  // row's runs from left to right (a run that continues the previous one of the same wave set
  // extends it); Finish after the last row.
  void NoteRow(int k, int y);
  void BeginRow(int y) {
    FRowStart = FRuns.size();
    FRowRuns[static_cast<size_t>(y)] = FRowStart;
  }
  void AddRun(int x0, int x1, int k);
  void Finish() { FRowRuns[static_cast<size_t>(FHeight)] = FRuns.size(); }

  const TRun* RunsBegin(int y) const { return FRuns.data() + FRowRuns[static_cast<size_t>(y)]; }
  const TRun* RunsEnd(int y) const { return FRuns.data() + FRowRuns[static_cast<size_t>(y) + 1]; }
  // Whether row y is wave set k from x0 to x1 - 1 (true for an empty range); rows y0 .. y1.
  bool Covers(int y, int x0, int x1, int k) const;
  bool RowsCover(int y0, int y1, int x0, int x1, int k) const;

 private:
  // Frame-sized, and written whole for every scene, so it lives in huge pages like the
  // surfaces (one first-touch fault per 2 MiB rather than per 4 KiB).
  class TGrid {
   public:
    void Resize(size_t count);
    int16_t* data() { return FData.get(); }
    const int16_t* data() const { return FData.get(); }

   private:
    struct TFreeDeleter {
      void operator()(int16_t* p) const noexcept;
    };
    std::unique_ptr<int16_t[], TFreeDeleter> FData;
    size_t FCapacity = 0;
  };

  int FWidth = 0;
  int FHeight = 0;
  TGrid FGrid;
  std::array<int, kWaveSetCount> FTopRow{};
  std::array<int, kWaveSetCount> FBottomRow{};
  // Row y holds the runs FRuns[FRowRuns[y]] .. FRuns[FRowRuns[y + 1] - 1].
  std::vector<TRun> FRuns;
  std::vector<size_t> FRowRuns;
  size_t FRowStart = 0;  // the first run of the row being built
};

}  // namespace ky
