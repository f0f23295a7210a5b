#include "demo-objects.h"

#include <gif_lib.h>
#include <png.h>

#include <cmath>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace demo {

namespace {

// The sailing boat: 48 x 36 pixels, four frames in which the pennant flaps and the hull rocks.
constexpr int kBoatW = 48, kBoatH = 36;

// Palette: 0 the see-through background, then hull, dark hull, sail, mast, pennant, sail shade.
const GifColorType kBoatColours[8] = {{255, 0, 255}, {120, 70, 40}, {70, 40, 25}, {245, 240, 225},
                                      {50, 40, 35},  {220, 40, 40}, {205, 200, 190}, {0, 0, 0}};

std::vector<GifPixelType> BoatFrame(int k) {
  std::vector<GifPixelType> px(static_cast<size_t>(kBoatW * kBoatH), 0);
  auto set = [&](int x, int y, int c) {
    if (x >= 0 && y >= 0 && x < kBoatW && y < kBoatH) px[static_cast<size_t>(y * kBoatW + x)] = static_cast<GifPixelType>(c);
  };
  const int rock = (k == 1) ? 1 : (k == 3 ? -1 : 0);
  // Hull: a trapezoid whose deck tilts a little with the rocking.
  for (int y = 27; y < 34; ++y) {
    const int inset = (y - 27) * 5 / 6;
    for (int x = 4 + inset; x < 44 - inset; ++x) set(x, y + ((x < 24) ? rock : -rock) * (y == 27 ? 1 : 0), y > 31 ? 2 : 1);
  }
  // Mast and sail (a triangle right of the mast, with a shaded strip).
  for (int y = 4; y < 27; ++y) set(22, y, 4);
  for (int y = 6; y < 26; ++y)
    for (int x = 23; x < 23 + (y - 4) * 16 / 22; ++x) set(x, y, x < 26 ? 6 : 3);
  for (int y = 10; y < 26; ++y)
    for (int x = 21 - (y - 8) * 10 / 18; x < 22; ++x) set(x, y, 3);
  // The pennant at the top flaps through four shapes.
  const int len = 6 + (k % 2) * 2, wave = (k / 2) ? 1 : 0;
  for (int x = 23; x < 23 + len; ++x) {
    set(x, 4 + ((x + k) % 3 == 0 ? wave : 0), 5);
    if (x < 23 + len - 2) set(x, 5, 5);
  }
  return px;
}

void WriteBoatGif(const std::string& path) {
  int err = 0;
  GifFileType* g = EGifOpenFileName(path.c_str(), false, &err);
  if (!g) throw std::runtime_error(path + ": cannot write the GIF");
  EGifSetGifVersion(g, true);
  ColorMapObject* map = GifMakeMapObject(8, kBoatColours);
  bool ok = EGifPutScreenDesc(g, kBoatW, kBoatH, 8, 0, map) == GIF_OK;
  const GifByteType loop[3] = {1, 0, 0};  // endless
  ok = ok && EGifPutExtensionLeader(g, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
       EGifPutExtensionBlock(g, 11, "NETSCAPE2.0") == GIF_OK && EGifPutExtensionBlock(g, 3, loop) == GIF_OK &&
       EGifPutExtensionTrailer(g) == GIF_OK;
  for (int k = 0; ok && k < 4; ++k) {
    // Each frame replaces the whole picture: disposal 2 clears it, index 0 is see-through.
    GraphicsControlBlock gcb{DISPOSE_BACKGROUND, false, 15, 0};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    ok = EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK &&
         EGifPutImageDesc(g, 0, 0, kBoatW, kBoatH, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> px = BoatFrame(k);
    for (int y = 0; ok && y < kBoatH; ++y) ok = EGifPutLine(g, &px[static_cast<size_t>(y * kBoatW)], kBoatW) == GIF_OK;
  }
  ok = EGifCloseFile(g, &err) == GIF_OK && ok;
  GifFreeMapObject(map);
  if (!ok) throw std::runtime_error(path + ": cannot write the GIF");
}

// A bird facing right, 44 x 30, with soft edges in its alpha channel: mirrored when it flies left.
void WriteBirdPng(const std::string& path) {
  const int w = 44, h = 30;
  std::vector<uint8_t> rgba(static_cast<size_t>(w * h * 4), 0);
  auto put = [&](int x, int y, int r, int g, int b, double cover) {
    if (x < 0 || y < 0 || x >= w || y >= h || cover <= 0) return;
    uint8_t* p = &rgba[static_cast<size_t>((y * w + x) * 4)];
    const int a = static_cast<int>(std::lround(std::fmin(1.0, cover) * 255));
    if (a < p[3]) return;
    p[0] = static_cast<uint8_t>(r);
    p[1] = static_cast<uint8_t>(g);
    p[2] = static_cast<uint8_t>(b);
    p[3] = static_cast<uint8_t>(a);
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Body: an ellipse; head: a disc at the right; wing: a raised triangle; beak: orange.
      const double bx = (x - 20) / 14.0, by = (y - 19) / 6.0;
      put(x, y, 60, 70, 90, (1.0 - std::sqrt(bx * bx + by * by)) * 6);
      const double hx = x - 34, hy = y - 15;
      put(x, y, 40, 45, 60, (5.0 - std::sqrt(hx * hx + hy * hy)) * 1.5);
      if (y >= 3 && y < 18 && x >= 12 && x < 12 + (18 - y)) put(x, y, 90, 100, 125, 0.85);
      if (y >= 14 && y <= 16 && x >= 39 && x < 44) put(x, y, 240, 150, 40, 1.0);
    }
  put(35, 14, 255, 255, 255, 1.0);
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = w;
  img.height = h;
  img.format = PNG_FORMAT_RGBA;
  if (!png_image_write_to_file(&img, path.c_str(), 0, rgba.data(), 0, nullptr))
    throw std::runtime_error(path + ": cannot write the PNG");
}

}  // namespace

void WriteLakeObjects(const std::string& dir) {
  WriteBoatGif(dir + "/boat.gif");
  WriteBirdPng(dir + "/bird.png");
  std::ofstream out(dir + "/lake-objects.ini", std::ios::binary);
  // The boat enters from the left just below the shore line, fading in, and crosses to the
  // right again and again; the bird bounces about the sky, facing the way it flies.
  out << "[Obj0]\r\nObjType=GIF\r\nFilename=boat.gif\r\nMotion=5\r\nMotionSpeed=14\r\nInitialDir=2\r\n"
         "PosLeftType=1\r\nPosTop=430\r\nRestrictArea=0\r\nAppearEffect=1\r\nAppearEffectDur=2\r\n"
         "[Obj1]\r\nObjType=IMG\r\nFilename=bird.png\r\nMotion=2\r\nMotionSpeed=16\r\nInitialDir=6\r\n"
         "PosLeft=300\r\nPosTop=150\r\nMotionAreaType=1\r\nMoveAreaRectleft=0\r\nMoveAreaRecttop=20\r\n"
         "MoveAreaRectright=960\r\nMoveAreaRectbottom=330\r\nObjFacing=1\r\nDirFlip=1\r\n";
  if (!out) throw std::runtime_error(dir + "/lake-objects.ini: cannot write the file");
}

}  // namespace demo
