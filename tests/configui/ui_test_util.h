#pragma once
// Building controls from window texts written in the tests.
#include <QImage>
#include <QWidget>
#include <string>

#include "config/uFormParser.h"
#include "config/uFormPicture.h"
#include "config/ui/uFormInstantiator.h"
#include "graphics/uBmpWriter.h"
#include "testutil.h"

namespace kytest {

inline ky::TFormInstance BuildForm(const std::string& text, const ky::TFormClassRegistry& registry = ky::StandardFormClasses()) {
  return ky::InstantiateForm(ky::ParseFormText(text, "test.dfm"), registry, "test.dfm");
}

// The component of that name.
inline ky::TFormComponent& Named(ky::TFormInstance& form, const std::string& name) {
  for (auto& c : form.Components)
    if (c->Name == name) return *c;
  throw std::runtime_error("no component " + name);
}

// Hexadecimal text of bytes, for "{...}" data in a window text.
inline std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (uint8_t b : bytes) s += digits[b >> 4], s += digits[b & 15];
  return s;
}

// Picture data of a w x h BMP whose pixel (x, y) is colour(x, y) (0xRRGGBB).
template <typename F>
std::vector<uint8_t> BmpPictureData(int w, int h, F colour) {
  TTempDir dir;
  WriteBmp24(dir / "p.bmp", w, h, colour);
  const std::string bytes = ReadFile(dir / "p.bmp");
  return ky::EncodeFormPicture("TBitmap", std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// The widget as it paints itself now.
inline QImage Painted(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

inline uint32_t Rgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }

}  // namespace kytest
