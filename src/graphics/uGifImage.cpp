// GIF through giflib, one record at a time. DGifSlurp is not used: it decodes every frame of
// the file in one go with no bound on count or size.
#include "graphics/uGifImage.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "graphics/uPictureError.h"
#include "graphics/uPictureFile.h"
#include "graphics/uPictureLimits.h"

namespace ky {

namespace {

struct TGifSource {
  const uint8_t* Data;
  size_t Size;
  size_t Pos;
};

int GifRead(GifFileType* gif, GifByteType* out, int n) {
  auto* s = static_cast<TGifSource*>(gif->UserData);
  if (n <= 0) return 0;
  const size_t k = std::min(static_cast<size_t>(n), s->Size - s->Pos);
  if (k == 0) return 0;
  std::memcpy(out, s->Data + s->Pos, k);
  s->Pos += k;
  return static_cast<int>(k);
}

std::vector<TGifColor> ColorsOf(const ColorMapObject* map) {
  std::vector<TGifColor> c;
  if (map == nullptr || map->Colors == nullptr || map->ColorCount <= 0) return c;
  const int n = std::min(map->ColorCount, 256);
  c.resize(n);
  for (int i = 0; i < n; ++i) c[i] = TGifColor{map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue};
  return c;
}

class TGifDecoder {
 public:
  TGifDecoder(const uint8_t* data, size_t size, std::string_view name) : FSource{data, size, 0}, FName(name) {
    int error = 0;
    FGif = DGifOpen(&FSource, GifRead, &error);
    if (FGif == nullptr) Fail(GifErrorString(error));
  }
  ~TGifDecoder() {
    if (FGif != nullptr) DGifCloseFile(FGif, nullptr);
  }
  TGifDecoder(const TGifDecoder&) = delete;
  TGifDecoder& operator=(const TGifDecoder&) = delete;

  TGifImage Decode() {
    TGifImage image;
    image.Width = FGif->SWidth;
    image.Height = FGif->SHeight;
    CheckPictureSize(FName, image.Width, image.Height);
    image.GlobalColors = ColorsOf(FGif->SColorMap);
    image.BackgroundIndex = FGif->SBackGroundColor;
    const int64_t frameBytes = int64_t{image.Width} * image.Height * 4;
    TGifGraphicControl pending;
    bool loopSeen = false;
    for (;;) {
      GifRecordType type = UNDEFINED_RECORD_TYPE;
      Check(DGifGetRecordType(FGif, &type));
      if (type == TERMINATE_RECORD_TYPE) break;
      if (type == EXTENSION_RECORD_TYPE) {
        ReadExtension(image, pending, loopSeen);
      } else if (type == IMAGE_DESC_RECORD_TYPE) {
        if (static_cast<int>(image.Frames.size()) >= kMaxGifFrames)
          Fail("too many GIF frames (more than " + std::to_string(kMaxGifFrames) + ")");
        if (frameBytes * static_cast<int64_t>(image.Frames.size() + 1) > kMaxGifDecodedBytes)
          Fail("GIF frames too large (" + std::to_string(image.Frames.size() + 1) + " frames of " +
               std::to_string(image.Width) + " \u00d7 " + std::to_string(image.Height) + ")");
        image.Frames.push_back(ReadFrame(image));
        image.Frames.back().Control = pending;
        pending = TGifGraphicControl{};
      } else {
        Fail("corrupt GIF record");
      }
    }
    return image;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const { throw EPictureError(std::string(FName) + ": " + what); }
  [[noreturn]] void Fail(const char* what) const { Fail(std::string(what != nullptr ? what : "GIF error")); }
  void Check(int rc) const {
    if (rc == GIF_ERROR) Fail(GifErrorString(FGif->Error));
  }

  void ReadExtension(TGifImage& image, TGifGraphicControl& pending, bool& loopSeen) {
    int code = 0;
    GifByteType* block = nullptr;
    Check(DGifGetExtension(FGif, &code, &block));
    bool netscape = false;
    bool first = true;
    while (block != nullptr) {
      const int len = block[0];
      if (code == GRAPHICS_EXT_FUNC_CODE && first && len >= 4) {
        pending.Present = true;
        pending.Disposal = static_cast<TGifDisposal>((block[1] >> 2) & 7);
        pending.Transparent = (block[1] & 1) != 0;
        pending.Delay = block[2] | (block[3] << 8);
        pending.TransparentIndex = block[4];
      } else if (code == APPLICATION_EXT_FUNC_CODE && first) {
        netscape = len == 11 && (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 ||
                                 std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
      } else if (code == APPLICATION_EXT_FUNC_CODE && netscape && len >= 3 && block[1] == 1 && !loopSeen) {
        // Only the loop extension before the first frame counts.
        if (image.Frames.empty()) {
          image.HasLoopExtension = true;
          image.LoopCount = block[2] | (block[3] << 8);
        }
        loopSeen = true;
      }
      first = false;
      Check(DGifGetExtensionNext(FGif, &block));
    }
  }

  TGifFrame ReadFrame(const TGifImage& image) {
    Check(DGifGetImageDesc(FGif));
    const GifImageDesc& d = FGif->Image;
    const int fw = d.Width, fh = d.Height;
    if (fw < 0 || fh < 0 || int64_t{fw} * fh > kMaxPicturePixels) Fail("corrupt GIF frame size");
    // Each frame is decoded whole, the parts off the screen too: that is what it costs.
    FDecodedPixels += int64_t{fw} * fh;
    if (FDecodedPixels > kMaxGifDecodedPixels)
      Fail("GIF frames too large to decode (more than " + std::to_string(kMaxGifDecodedPixels) + " pixels in all)");
    TGifFrame frame;
    frame.Interlaced = d.Interlace;
    frame.LocalColors = ColorsOf(d.ColorMap);
    // The part of the frame on the logical screen.
    const int left = std::clamp(d.Left, 0, image.Width), top = std::clamp(d.Top, 0, image.Height);
    const int right = std::clamp(d.Left + fw, 0, image.Width), bottom = std::clamp(d.Top + fh, 0, image.Height);
    frame.Left = left;
    frame.Top = top;
    frame.Width = std::max(right - left, 0);
    frame.Height = std::max(bottom - top, 0);
    if (frame.Width == 0 || frame.Height == 0) frame.Width = frame.Height = 0;  // nothing on the screen
    frame.Indices.assign(static_cast<size_t>(frame.Width) * frame.Height, 0);
    std::vector<GifPixelType> line(static_cast<size_t>(std::max(fw, 1)));
    auto store = [&](int row) {
      const int y = d.Top + row;
      if (y < top || y >= bottom || frame.Width == 0) return;
      std::memcpy(&frame.Indices[static_cast<size_t>(y - top) * frame.Width], line.data() + (left - d.Left),
                  static_cast<size_t>(frame.Width));
    };
    if (fw == 0 || fh == 0) return frame;
    if (d.Interlace) {
      static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int row = kStart[pass]; row < fh; row += kStep[pass]) {
          Check(DGifGetLine(FGif, line.data(), fw));
          store(row);
        }
    } else {
      for (int row = 0; row < fh; ++row) {
        Check(DGifGetLine(FGif, line.data(), fw));
        store(row);
      }
    }
    return frame;
  }

  TGifSource FSource;
  std::string_view FName;
  GifFileType* FGif = nullptr;
  int64_t FDecodedPixels = 0;
};

}  // namespace

int TGifImage::FindGlobalColor(TGifColor c) const {
  for (size_t i = 0; i < GlobalColors.size(); ++i)
    if (GlobalColors[i] == c) return static_cast<int>(i);
  return -1;
}

TGifImage ReadGifFromMemory(const void* data, size_t size, std::string_view name) {
  TGifDecoder decoder(static_cast<const uint8_t*>(data), size, name);
  return decoder.Decode();
}

TGifImage ReadGifFile(const std::string& path) {
  const std::vector<uint8_t> data = ReadPictureFile(path);
  return ReadGifFromMemory(data.data(), data.size(), path);
}

TGifRenderer::TGifRenderer(const TGifImage& image, TColor32 background) : FImage(image), FBackground(background) {}

void TGifRenderer::Reset(TBitmap32& target) {
  target.SetSize(FImage.Width, FImage.Height);
  target.Clear(FBackground);
  FPrevious = -1;
  FSaved.clear();
}

void TGifRenderer::PaintFrame(int index, TBitmap32& target, bool transparent) {
  if (index < 0 || index >= static_cast<int>(FImage.Frames.size())) return;
  if (target.Width() != FImage.Width || target.Height() != FImage.Height) Reset(target);
  // Undo the previous frame as its disposal says.
  if (FPrevious >= 0) {
    const TGifFrame& p = FImage.Frames[FPrevious];
    if (p.Control.Disposal == gdBackground) {
      target.FillRect(p.Left, p.Top, p.Left + p.Width, p.Top + p.Height, FBackground);
    } else if (p.Control.Disposal == gdPrevious && FSaved.size() == static_cast<size_t>(p.Width) * p.Height) {
      for (int y = 0; y < p.Height; ++y)
        std::memcpy(target.ScanLine(p.Top + y) + p.Left, &FSaved[static_cast<size_t>(y) * p.Width],
                    static_cast<size_t>(p.Width) * sizeof(TColor32));
    }
  }
  const TGifFrame& f = FImage.Frames[index];
  FSaved.clear();
  if (f.Control.Disposal == gdPrevious) {
    FSaved.resize(static_cast<size_t>(f.Width) * f.Height);
    for (int y = 0; y < f.Height; ++y)
      std::memcpy(&FSaved[static_cast<size_t>(y) * f.Width], target.ScanLine(f.Top + y) + f.Left,
                  static_cast<size_t>(f.Width) * sizeof(TColor32));
  }
  const std::vector<TGifColor>& colours = f.LocalColors.empty() ? FImage.GlobalColors : f.LocalColors;
  TColor32 palette[256];
  for (int i = 0; i < 256; ++i) {
    // Indices beyond the table show black.
    const TGifColor c = i < static_cast<int>(colours.size()) ? colours[i] : TGifColor{};
    palette[i] = MakeColor32(c.R, c.G, c.B, 255);
  }
  const bool skip = transparent && f.Control.Transparent;
  const uint8_t key = static_cast<uint8_t>(f.Control.TransparentIndex);
  for (int y = 0; y < f.Height; ++y) {
    const uint8_t* src = &f.Indices[static_cast<size_t>(y) * f.Width];
    TColor32* dst = target.ScanLine(f.Top + y) + f.Left;
    for (int x = 0; x < f.Width; ++x)
      if (!skip || src[x] != key) dst[x] = palette[src[x]];
  }
  FPrevious = index;
}

std::vector<TBitmap32> ComposeGifFrames(const TGifImage& image) {
  std::vector<TBitmap32> frames;
  frames.reserve(image.Frames.size());
  TGifRenderer renderer(image);
  TBitmap32 screen;
  renderer.Reset(screen);
  for (size_t i = 0; i < image.Frames.size(); ++i) {
    renderer.PaintFrame(static_cast<int>(i), screen, true);
    frames.emplace_back();
    frames.back().Assign(screen);
  }
  return frames;
}

}  // namespace ky
