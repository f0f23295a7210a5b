#pragma once
// The picture-carrying objects: TAnimImgObject (the picture file and its transparency keys),
// TImgObject (a still picture: key colour or a PNG's own alpha) and, in uGifObject.h, the
// animated GIF. Their Front and Back surfaces draw in the custom mode through PixelCombine.
#include <cstdint>
#include <string>
#include <vector>

#include "objects/uAnimObject.h"

namespace ky {

bool ObjectFileExists(const std::string& path);

class TAnimImgObject : public TAnimObject {
 public:
  // commonFolder: the shared media folder, with a trailing "/" (its "images/" subfolder is
  // where a picture missing at its stored path is looked for).
  TAnimImgObject(TObjectClock clock, std::string commonFolder);

  // "GIF" or "IMG".
  virtual const char* ObjType() const = 0;
  // Reads the picture keys, re-points a missing file, then the base keys.
  virtual void LoadFromText(const std::string& objectText) = 0;
  virtual void LoadPicture(const std::string& path) = 0;
  void Initialize() override;
  std::string SaveToText() override;
  // When FileName names no file: folder + its file-name part (folder ends with "/").
  void RepointMissing(const std::string& folder);

  std::string FileName;
  TColor32 KeyColor = 0;
  bool Transparent = true;
  uint8_t TransparentType = 0;
  int32_t TransparentColor = 0;

 protected:
  std::string ImagesFolder() const { return FCommonFolder + "images/"; }
  // Both surfaces: custom draw mode through PixelCombine, and CombineRow for whole runs.
  void PrepareSurface(TBitmap32& surface);
  // One pixel: F onto B with the alpha the drawing supplies (the reference of CombineRow).
  virtual void PixelCombine(TColor32 F, TColor32& B, uint32_t M) const = 0;
  // A run at once, as PixelCombine (and PixelAlpha when the drawing asks it) pixel by pixel.
  virtual void CombineRow(TColor32* dst, const TColor32* src, int n, int row, const int* xOffsets, uint32_t master,
                          bool pixelAlpha) const = 0;
  // The picture keys of this class, after "ObjType" and "Filename".
  virtual void SavePictureKeys(const std::string& section) = 0;
  // After the base Initialize: a GIF draws its first frame.
  virtual void AfterInitialize() {}
  virtual TStretchFilter PictureFilter() const = 0;

 private:
  std::string FCommonFolder;
};

// B.c := (F.c * a + B.c * (255 - a)) div 255 for red, green and blue; B's alpha byte := a.
inline TColor32 ObjectBlend(TColor32 F, TColor32 B, uint32_t a) {
  // The two ends, common in pictures with alpha, come out of the rule exactly.
  if (a == 0) return B & 0x00FFFFFFu;
  if (a == 255) return F | 0xFF000000u;
  // Red and blue side by side in one word: each lane stays below 65536 (a + (255 - a) = 255),
  // and x div 255 = (x + 1 + (x >> 8)) >> 8 exactly for x <= 65535, lane by lane.
  const uint32_t na = 255 - a;
  const uint32_t rb = (F & 0x00FF00FFu) * a + (B & 0x00FF00FFu) * na;
  const uint32_t g = ((F >> 8) & 0xFFu) * a + ((B >> 8) & 0xFFu) * na;
  const uint32_t rbDiv = ((rb + 0x00010001u + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  const uint32_t gDiv = (g + 1 + (g >> 8)) >> 8;
  return (a << 24) | rbDiv | (gDiv << 8);
}

class TImgObject final : public TAnimImgObject {
 public:
  TImgObject(TObjectClock clock, std::string commonFolder);
  const char* ObjType() const override { return "IMG"; }
  void LoadFromText(const std::string& objectText) override;
  // Nothing happens when the file does not exist; a file that cannot be read leaves the object
  // without a picture.
  void LoadPicture(const std::string& path) override;
  // The alpha of a still PNG's pixel at column x, row y of the drawn part.
  uint32_t PixelAlpha(int x, int y) const;

  bool IsPng = false;
  bool HasAlpha = false;
  std::vector<uint8_t> AlphaMap;

 protected:
  void PixelCombine(TColor32 F, TColor32& B, uint32_t M) const override;
  void CombineRow(TColor32* dst, const TColor32* src, int n, int row, const int* xOffsets, uint32_t master,
                  bool pixelAlpha) const override;
  void SavePictureKeys(const std::string& section) override;
  TStretchFilter PictureFilter() const override { return sfDraft; }
};

}  // namespace ky
