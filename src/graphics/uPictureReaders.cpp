#include "graphics/uPictureReaders.h"

#include <cstring>

#include "graphics/uGifImage.h"

namespace ky {

namespace {

// Pixels only: the target keeps its own drawing properties and callbacks.
void AssignPixels(TBitmap32& target, const TBitmap32& source) {
  target.SetSize(source.Width(), source.Height());
  if (!source.Empty())
    std::memcpy(target.Bits(), source.Bits(),
                static_cast<size_t>(source.Width()) * static_cast<size_t>(source.Height()) * sizeof(TColor32));
}

void ForceOpaque(TBitmap32& b) {
  TColor32* p = b.Bits();
  const size_t n = static_cast<size_t>(b.Width()) * static_cast<size_t>(b.Height());
  for (size_t i = 0; i < n; ++i) p[i] |= 0xFF000000u;
}

void LoadGifFirstFrame(const std::string& path, TBitmap32& target) {
  const TGifImage gif = ReadGifFile(path);
  if (gif.Frames.empty()) FailPicture(path, "GIF has no frames");
  TBitmap32 frame;
  TGifRenderer renderer(gif);
  renderer.Reset(frame);
  renderer.PaintFrame(0, frame, true);
  ForceOpaque(frame);
  AssignPixels(target, frame);
}

}  // namespace

void LoadPictureFromFile(const std::string& path, TBitmap32& target) {
  switch (PictureKindOf(path)) {
    case TPictureKind::Jpeg:
      LoadJpegFromFile(path, target);
      return;
    case TPictureKind::Png:
      AssignPixels(target, ReadPngFile(path).Picture);
      return;
    case TPictureKind::Bmp:
      LoadBmpFromFile(path, target);
      return;
    case TPictureKind::Gif:
      LoadGifFirstFrame(path, target);
      return;
    case TPictureKind::Icon:
    case TPictureKind::Metafile:
      FailPicture(path, "icons and metafiles cannot be loaded as pictures here");
    case TPictureKind::Unknown:
      break;
  }
  FailPicture(path, "unknown picture file extension");
}

}  // namespace ky
