#include "objects/uAnimImgObject.h"

#include <sys/stat.h>

#include <exception>

#include "graphics/uPictureReaders.h"
#include "platform/uNumbers.h"
#include "platform/uText.h"

namespace ky {

namespace {

std::string FolderPart(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string UpperExtension(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : UpperCaseAscii(name.substr(dot));
}

}  // namespace

bool ObjectFileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

TAnimImgObject::TAnimImgObject(TObjectClock clock, std::string commonFolder)
    : TAnimObject(std::move(clock)), FCommonFolder(std::move(commonFolder)) {}

void TAnimImgObject::RepointMissing(const std::string& folder) {
  if (!ObjectFileExists(FileName)) FileName = folder + FileNamePart(FileName);
}

void TAnimImgObject::PrepareSurface(TBitmap32& surface) {
  surface.SetDrawMode(dmCustom);
  surface.SetOnPixelCombine([this](TColor32 F, TColor32& B, uint32_t M) { PixelCombine(F, B, M); });
}

void TAnimImgObject::Initialize() {
  RepointMissing(ImagesFolder());
  // No picture anywhere: nothing to draw, and the timeline stays as it is.
  if (!ObjectFileExists(FileName)) return;
  LoadPicture(FileName);
  const uint32_t alpha = OpacityAlpha();
  FFront.SetMasterAlpha(alpha);
  FBack.SetMasterAlpha(alpha);
  FFront.SetStretchFilter(PictureFilter());
  FBack.SetStretchFilter(PictureFilter());
  TAnimObject::Initialize();
  AfterInitialize();
}

std::string TAnimImgObject::SaveToText() {
  TAnimObject::SaveToText();
  const std::string s = "Obj" + std::to_string(Index);
  const std::string name = FolderPart(FileName) == ImagesFolder() ? FileNamePart(FileName) : FileName;
  Store.WriteString(s, "ObjType", ObjType());
  Store.WriteString(s, "Filename", name);
  SavePictureKeys(s);
  return Store.ToText();
}

TImgObject::TImgObject(TObjectClock clock, std::string commonFolder)
    : TAnimImgObject(std::move(clock), std::move(commonFolder)) {}

void TImgObject::LoadFromText(const std::string& objectText) {
  Store = TIniFile::FromText(objectText);
  const std::string s = "Obj" + std::to_string(Index);
  FileName = Store.ReadString(s, "Filename", FileName);
  RepointMissing(ImagesFolder());
  Transparent = ReadObjectInteger(Store, s, "Transparent", 1) != 0;
  const int typeDefault = UpperExtension(FileName) == ".PNG" ? 0 : 1;
  TransparentType = static_cast<uint8_t>(ReadObjectInteger(Store, s, "TransparentType", typeDefault) & 0xFF);
  TransparentColor = ReadObjectInteger(Store, s, "TransparentColor", TransparentColor);
  LoadProperties(objectText);
}

void TImgObject::SavePictureKeys(const std::string& s) {
  Store.WriteString(s, "Transparent", Transparent ? "1" : "0");
  Store.WriteString(s, "TransparentType", std::to_string(TransparentType));
  Store.WriteString(s, "TransparentColor", std::to_string(TransparentColor));
}

void TImgObject::LoadPicture(const std::string& path) {
  if (!ObjectFileExists(path)) return;
  TBitmap32 front;
  IsPng = false;
  HasAlpha = false;
  AlphaMap.clear();
  try {
    if (UpperExtension(path) == ".PNG") {
      TPngPicture png = ReadPngFile(path);
      front = std::move(png.Picture);
      HasAlpha = png.HasAlpha;
      if (HasAlpha) AlphaMap = std::move(png.AlphaMap);
      IsPng = true;
    } else {
      LoadPictureFromFile(path, front);
    }
  } catch (const std::exception&) {
    // A picture that cannot be read (or is beyond the limits) is drawn as nothing.
    front = TBitmap32();
    IsPng = HasAlpha = false;
    AlphaMap.clear();
  }
  FFront = std::move(front);
  PrepareSurface(FFront);
  if (IsPng) FFront.SetPixelAlpha([this](int x, int y) { return PixelAlpha(x, y); });
  KeyColor = FFront.Empty() ? 0 : FFront.Pixel(0, FFront.Height() - 1);
  if (TransparentType == 2) KeyColor = Color32FromWinColor(TransparentColor);
  FBack = TBitmap32();
  FBack.SetSize(FFront.Width(), FFront.Height());
  PrepareSurface(FBack);
  if (IsPng) FBack.SetPixelAlpha([this](int x, int y) { return PixelAlpha(x, y); });
  PictureWidth = FFront.Width();
  PictureHeight = FFront.Height();
}

void TImgObject::PixelCombine(TColor32 F, TColor32& B, uint32_t M) const {
  const bool keyed = Transparent && !(IsPng && TransparentType == 0);
  if (keyed && F == KeyColor) return;
  const uint32_t a = M & 0xFF;
  const uint32_t r = (RedComponent(F) * a + RedComponent(B) * (255 - a)) / 255;
  const uint32_t g = (GreenComponent(F) * a + GreenComponent(B) * (255 - a)) / 255;
  const uint32_t b = (BlueComponent(F) * a + BlueComponent(B) * (255 - a)) / 255;
  B = (a << 24) | (r << 16) | (g << 8) | b;
}

uint32_t TImgObject::PixelAlpha(int x, int y) const {
  if (!(Transparent && TransparentType == 0 && HasAlpha)) return 255;
  const int sx = DrawnScreenX(), sy = DrawnScreenY();
  if (sx < 0 && WidthSize != 0) x += -sx * 100 / WidthSize;
  if (sy < 0 && HeightSize != 0) y += -sy * 100 / HeightSize;
  if (Drawn().Flipped) x = PictureWidth - 1 - x;
  const int64_t p = int64_t{y} * FFront.Width() + x;
  if (p < 0 || p > int64_t{PictureWidth} * PictureHeight - 1 || p >= static_cast<int64_t>(AlphaMap.size())) return 0;
  return AlphaMap[static_cast<size_t>(p)] * FFront.MasterAlpha() / 255;
}

}  // namespace ky
