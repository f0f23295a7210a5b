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
  // Both surfaces: custom draw mode through PixelCombine.
  void PrepareSurface(TBitmap32& surface);
  virtual void PixelCombine(TColor32 F, TColor32& B, uint32_t M) const = 0;
  // The picture keys of this class, after "ObjType" and "Filename".
  virtual void SavePictureKeys(const std::string& section) = 0;
  // After the base Initialize: a GIF draws its first frame.
  virtual void AfterInitialize() {}
  virtual TStretchFilter PictureFilter() const = 0;

 private:
  std::string FCommonFolder;
};

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
  void SavePictureKeys(const std::string& section) override;
  TStretchFilter PictureFilter() const override { return sfDraft; }
};

}  // namespace ky
