#include "objects/uGifObject.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "graphics/uPictureFile.h"
#include "objects/uObjectLimits.h"

namespace ky {

namespace {

// The yellow that marks the pixels of Front no frame covers; PixelCombine skips it.
constexpr TColor32 kGifKeyColor = 0x00FFFF00u;

uint16_t Le16(const std::vector<uint8_t>& b, size_t i) { return static_cast<uint16_t>(b[i] | (b[i + 1] << 8)); }

// Walks the blocks of a GIF without decoding and checks the object budget: the logical
// screen, the number of frames and their areas together. A file too broken to walk is left to
// the reader, which refuses it with its own message.
void CheckGifBudget(const std::vector<uint8_t>& b, const std::string& path) {
  auto refuse = [&](const char* what) { throw std::runtime_error(path + ": " + what); };
  if (b.size() < 13) return;
  const int64_t screen = int64_t{Le16(b, 6)} * Le16(b, 8);
  if (screen > kMaxObjectScreenPixels) refuse("the animation's screen is too large for an object");
  size_t i = 13;
  if (b[10] & 0x80) i += size_t{3} << ((b[10] & 7) + 1);
  int64_t area = 0;
  int frames = 0;
  auto skipSubBlocks = [&] {
    while (i < b.size() && b[i] != 0) i += size_t{b[i]} + 1;
    ++i;
  };
  while (i < b.size()) {
    const uint8_t tag = b[i++];
    if (tag == 0x3B) return;
    if (tag == 0x21) {
      ++i;  // the label
      skipSubBlocks();
    } else if (tag == 0x2C) {
      if (i + 9 > b.size()) return;
      area += int64_t{Le16(b, i + 4)} * Le16(b, i + 6);
      const uint8_t flags = b[i + 8];
      i += 9;
      if (flags & 0x80) i += size_t{3} << ((flags & 7) + 1);
      ++i;  // LZW minimum code size
      skipSubBlocks();
      if (++frames > kMaxObjectGifFrames) refuse("the animation has too many frames for an object");
      if (area > kMaxObjectGifPixels) refuse("the animation's frames are too large for an object");
    } else {
      return;
    }
  }
}

}  // namespace

TGifObject::TGifObject(TObjectClock clock, std::string commonFolder)
    : TAnimImgObject(std::move(clock), std::move(commonFolder)) {
  TransparentType = 0;
}

TGifObject::~TGifObject() { StopPainting(); }

void TGifObject::LoadFromText(const std::string& objectText) {
  Store = TIniFile::FromText(objectText);
  const std::string s = "Obj" + std::to_string(Index);
  FileName = Store.ReadString(s, "Filename", FileName);
  RepointMissing(ImagesFolder());
  AnimSpeed = ReadObjectInteger(Store, s, "AnimSpeed", 10);
  Transparent = ReadObjectInteger(Store, s, "Transparent", 1) != 0;
  TransparentType = static_cast<uint8_t>(ReadObjectInteger(Store, s, "TransparentType", 0) & 0xFF);
  TransparentColor = ReadObjectInteger(Store, s, "TransparentColor", TransparentColor);
  RefreshFrame = ReadObjectInteger(Store, s, "RefreshFrame", 0) != 0;
  LoadProperties(objectText);
}

void TGifObject::SavePictureKeys(const std::string& s) {
  Store.WriteString(s, "AnimSpeed", std::to_string(AnimSpeed));
  Store.WriteString(s, "Transparent", Transparent ? "1" : "0");
  Store.WriteString(s, "TransparentType", std::to_string(TransparentType));
  Store.WriteString(s, "TransparentColor", std::to_string(TransparentColor));
  Store.WriteString(s, "RefreshFrame", RefreshFrame ? "1" : "0");
}

void TGifObject::Stop() {
  StopPainting();
  TAnimImgObject::Stop();
}

void TGifObject::StopPainting() {
  FPainterRunning = false;
  FPainting = false;
}

void TGifObject::LoadPicture(const std::string& path) {
  if (!ObjectFileExists(path)) return;
  try {
    StopPainting();
    const std::vector<uint8_t> bytes = ReadPictureFile(path);
    CheckGifBudget(bytes, path);
    auto image = std::make_unique<TGifImage>(ReadGifFromMemory(bytes.data(), bytes.size(), path));
    if (image->Frames.empty() || image->Width <= 0 || image->Height <= 0) throw std::runtime_error(path + ": no frames");

    // The colour of the first frame's pixel at (0, h - 1) as a plain bitmap of the screen size.
    TBitmap32 first;
    if (TransparentType == 1) {
      TGifRenderer r(*image);
      r.PaintFrame(0, first, /*transparent=*/false);
    }
    for (TGifFrame& f : image->Frames) {
      if (!f.Control.Present) continue;
      f.Control.Transparent = Transparent;
      if (TransparentType != 0) {
        int index = -1;
        if (TransparentType == 1) {
          const int y = std::clamp(f.Height - 1, 0, first.Height() - 1);
          const TColor32 c = first.Pixel(0, y);
          index = image->FindGlobalColor(TGifColor{static_cast<uint8_t>(RedComponent(c)),
                                                   static_cast<uint8_t>(GreenComponent(c)),
                                                   static_cast<uint8_t>(BlueComponent(c))});
        } else if (TransparentType == 2) {
          const TColor32 c = Color32FromWinColor(TransparentColor);
          index = image->FindGlobalColor(TGifColor{static_cast<uint8_t>(RedComponent(c)),
                                                   static_cast<uint8_t>(GreenComponent(c)),
                                                   static_cast<uint8_t>(BlueComponent(c))});
        }
        if (index >= 0) f.Control.TransparentIndex = index;
        else f.Control.Transparent = false;
      }
      if (RefreshFrame) f.Control.Disposal = gdBackground;
    }
    AnimPercent = std::clamp(AnimSpeed > 10 ? AnimSpeed * 50 - 400 : AnimSpeed * 10, 0, 1000);

    TBitmap32 front(image->Width, image->Height), back(image->Width, image->Height);
    KeyColor = kGifKeyColor;
    front.Clear(KeyColor);
    back.Clear(KeyColor);
    FRenderer.reset();
    FImage = std::move(image);
    FRenderer = std::make_unique<TGifRenderer>(*FImage, KeyColor);
    FFront = std::move(front);
    FBack = std::move(back);
    PrepareSurface(FFront);
    PrepareSurface(FBack);
    FPainter = TGifPainter{};
    FPainterRunning = FImage->Frames.size() > 1;
    FPainting = true;
    PictureWidth = FImage->Width;
    PictureHeight = FImage->Height;
  } catch (const std::exception&) {
    // The object keeps the pictures it had (none for a new object).
  }
}

void TGifObject::AfterInitialize() {
  if (!FImage || !FRenderer) return;
  FRenderer->Reset(FFront);
  FRenderer->PaintFrame(0, FFront, Transparent);
  FPainter = TGifPainter{};
  if (FPainterRunning) {
    const uint32_t now = Clock().Ticks ? Clock().Ticks->Now() : 0;
    FPainter.Planned = now + static_cast<uint32_t>(std::max(0, FrameWait(0, 0)));
  }
}

int TGifObject::FrameWait(int index, int lateness) const {
  const TGifGraphicControl& c = FImage->Frames[static_cast<size_t>(index)].Control;
  int d = c.Present ? c.Delay : 0;
  if (d == 0) d = 10;
  d = std::max(d, 3);
  if (AnimPercent <= 0) return -1;
  return (d * 12 - lateness / 2) * 100 / AnimPercent;
}

void TGifObject::PaintFrame(int index) { FRenderer->PaintFrame(index, FFront, Transparent); }

void TGifObject::PrepareFrame(uint32_t now) {
  if (!FPainterRunning || FPainter.Done || !FImage || AnimPercent <= 0) return;
  const bool live = Clock().Ticker != nullptr;
  const int frames = static_cast<int>(FImage->Frames.size());
  // Passes: the loop extension's count, endless for 0; once without the extension.
  const int passes = FImage->HasLoopExtension ? FImage->LoopCount : 1;
  for (int changes = 0; changes < kMaxFrameChangesPerDraw; ++changes) {
    if (static_cast<int32_t>(now - FPainter.Planned) < 0) return;
    int next = FPainter.Frame + 1;
    if (next >= frames) {
      ++FPainter.Pass;
      if (passes > 0 && FPainter.Pass >= passes) {
        FPainter.Done = true;
        return;
      }
      next = 0;
      FRenderer->Reset(FFront);
    }
    FPainter.Frame = next;
    PaintFrame(next);
    const int lateness = live ? static_cast<int>(now - FPainter.Planned) : 0;
    const int wait = std::max(FrameWait(next, lateness), 1);
    FPainter.Planned = (live ? now : FPainter.Planned) + static_cast<uint32_t>(wait);
    // The live painter paints one frame per drawn frame, as a painter handing each paint to the
    // drawing thread does.
    if (live) return;
  }
}

void TGifObject::PixelCombine(TColor32 F, TColor32& B, uint32_t M) const {
  // Frames arrive opaque; the key is matched on the colour, so pure yellow is skipped too.
  if ((F & 0x00FFFFFFu) == (KeyColor & 0x00FFFFFFu)) return;
  const uint32_t a = M & 0xFF;
  const uint32_t r = (RedComponent(F) * a + RedComponent(B) * (255 - a)) / 255;
  const uint32_t g = (GreenComponent(F) * a + GreenComponent(B) * (255 - a)) / 255;
  const uint32_t b = (BlueComponent(F) * a + BlueComponent(B) * (255 - a)) / 255;
  B = (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace ky
