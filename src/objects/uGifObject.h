#pragma once
// TGifObject: an animated GIF object. Its frames are painted onto Front on the drawing thread;
// the frame painter only keeps time: frame k shows from the start plus the waits of the frames
// before it, each (d * 12 - o / 2) * 100 / AnimPercent ms (d the delay in hundredths, 10 when
// absent or 0, at least 3; o how late the previous paint came, always 0 on a virtual clock).
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/uGifImage.h"
#include "objects/uAnimImgObject.h"

namespace ky {

// The frame painter's clock, advanced by the drawing thread.
struct TGifPainter {
  int Frame = 0;         // the frame on Front
  int Pass = 0;          // passes over all frames completed
  uint32_t Planned = 0;  // when the next change is due
  bool Done = false;     // the last pass ended; the last frame stays
};

class TGifObject final : public TAnimImgObject {
 public:
  TGifObject(TObjectClock clock, std::string commonFolder);
  ~TGifObject() override;

  const char* ObjType() const override { return "GIF"; }
  void LoadFromText(const std::string& objectText) override;
  // Nothing happens when the file does not exist; an error leaves the earlier pictures.
  void LoadPicture(const std::string& path) override;
  void Stop() override;
  void StopPainting();

  // The wait after frame index in milliseconds for a given lateness o (AnimPercent > 0).
  int FrameWait(int index, int lateness) const;
  // The decoded GIF (frames with their control extensions as adjusted by the keys); null before
  // a successful load.
  const TGifImage* Image() const { return FImage.get(); }
  bool Painting() const { return FPainting; }
  // The frame currently on Front (-1 without a painter).
  int CurrentFrame() const { return FPainterRunning ? FPainter.Frame : -1; }
  bool HasPainter() const { return FPainterRunning; }

  int AnimSpeed = 10;
  int AnimPercent = 100;
  bool RefreshFrame = false;

 protected:
  void PixelCombine(TColor32 F, TColor32& B, uint32_t M) const override;
  void SavePictureKeys(const std::string& section) override;
  TStretchFilter PictureFilter() const override { return sfNearest; }
  void AfterInitialize() override;
  void PrepareFrame(uint32_t now) override;

 private:
  void PaintFrame(int index);

  std::unique_ptr<TGifImage> FImage;
  std::unique_ptr<TGifRenderer> FRenderer;
  TGifPainter FPainter;
  bool FPainting = false;
  bool FPainterRunning = false;
};

}  // namespace ky
