#include "graphics/uGifImage.h"

#include "graphics/uPictureReaders.h"

namespace ky {

int TGifImage::FindGlobalColor(TGifColor c) const {
  for (size_t i = 0; i < GlobalColors.size(); ++i)
    if (GlobalColors[i] == c) return static_cast<int>(i);
  return -1;
}
TGifImage ReadGifFile(const std::string& path) { throw EPictureError(path + ": not yet readable"); }
TGifImage ReadGifFromMemory(const void*, size_t, std::string_view name) { throw EPictureError(std::string(name) + ": not yet readable"); }
TGifRenderer::TGifRenderer(const TGifImage& image) : FImage(image) {}
void TGifRenderer::Reset(TBitmap32& target) {}
void TGifRenderer::PaintFrame(int index, TBitmap32& target, bool transparent) {}
std::vector<TBitmap32> ComposeGifFrames(const TGifImage& image) { return {}; }

}  // namespace ky
