#include "uContactSheet.h"

#include <algorithm>
#include <cmath>

#include "graphics/uGraphicUtil.h"
#include "graphics/uPngWriter.h"
#include "platform/uError.h"

namespace ky {

void TContactSheet::Add(const TBitmap32& frame) {
  const int w = std::max(1, std::min(frame.Width(), FMaxTileWidth));
  const int h = std::max(1, static_cast<int>(std::lround(static_cast<double>(frame.Height()) * w / std::max(1, frame.Width()))));
  TBitmap32& t = FTiles.emplace_back(w, h);
  ResizeBilinear(frame, t);
}

TBitmap32 TContactSheet::Compose() const {
  if (FTiles.empty()) return TBitmap32();
  const int n = static_cast<int>(FTiles.size());
  const int cols = FColumns > 0 ? std::min(FColumns, n) : static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
  const int rows = (n + cols - 1) / cols;
  const int cw = FTiles[0].Width() + kGap, ch = FTiles[0].Height() + kGap;
  TBitmap32 sheet(cols * cw + kGap, rows * ch + kGap);
  sheet.Clear(MakeColor32(64, 64, 64));
  for (int i = 0; i < n; ++i) sheet.Draw((i % cols) * cw + kGap, (i / cols) * ch + kGap, FTiles[static_cast<size_t>(i)]);
  return sheet;
}

void TContactSheet::Save(const std::string& path) const {
  if (FTiles.empty()) throw TKyError(path + ": no frame to put on the contact sheet");
  SavePngFile(Compose(), path);
}

}  // namespace ky
