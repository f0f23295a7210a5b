#pragma once
// Frames reduced to tiles and laid out in rows on a dark background, saved as one PNG picture.
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

class TContactSheet {
 public:
  // Tiles are at most maxTileWidth pixels wide (never enlarged), in rows of `columns` (0: as
  // square a sheet as the count allows).
  explicit TContactSheet(int maxTileWidth = 256, int columns = 0) : FMaxTileWidth(maxTileWidth), FColumns(columns) {}
  void Add(const TBitmap32& frame);
  int Count() const { return static_cast<int>(FTiles.size()); }
  // The sheet; empty when nothing was added.
  TBitmap32 Compose() const;
  void Save(const std::string& path) const;

  static constexpr int kGap = 4;  // pixels around each tile

 private:
  int FMaxTileWidth;
  int FColumns;
  std::vector<TBitmap32> FTiles;
};

}  // namespace ky
