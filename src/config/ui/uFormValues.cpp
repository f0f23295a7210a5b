#include "config/ui/uFormValues.h"

#include <array>
#include <cstring>
#include <exception>

#include "config/uFormPicture.h"
#include "platform/uError.h"
#include "platform/uText.h"

namespace ky {

[[noreturn]] void ThrowBadValue(const TFormBuildContext& ctx, const TFormValue& v, std::string_view what) {
  throw TKyError(ctx.FileName + ":" + std::to_string(v.Line) + ":" + std::to_string(v.Column) + ": " +
                 std::string(what));
}

int IntegerValue(const TFormValue& v, const TFormBuildContext& ctx) {
  if (v.Kind != TFormValueKind::Integer) ThrowBadValue(ctx, v, "an integer was expected");
  if (v.Integer < INT32_MIN || v.Integer > UINT32_MAX) ThrowBadValue(ctx, v, "the number is out of range");
  // Colours and sets are stored as unsigned 32-bit numbers; they keep their bits.
  return static_cast<int>(static_cast<uint32_t>(v.Integer));
}

bool BoolValue(const TFormValue& v, const TFormBuildContext& ctx) {
  if (v.Kind == TFormValueKind::Ident) {
    if (SameTextAscii(v.Text, "True")) return true;
    if (SameTextAscii(v.Text, "False")) return false;
  }
  ThrowBadValue(ctx, v, "True or False was expected");
}

std::string TextValue(const TFormValue& v, const TFormBuildContext& ctx) {
  if (v.Kind == TFormValueKind::String || v.Kind == TFormValueKind::Ident) return v.Text;
  ThrowBadValue(ctx, v, "a string was expected");
}

std::string IdentValue(const TFormValue& v, const TFormBuildContext& ctx) {
  if (v.Kind != TFormValueKind::Ident) ThrowBadValue(ctx, v, "an identifier was expected");
  return v.Text;
}

std::vector<std::string> StringListValue(const TFormValue& v, const TFormBuildContext& ctx) {
  if (v.Kind != TFormValueKind::List) ThrowBadValue(ctx, v, "a list of strings was expected");
  std::vector<std::string> lines;
  for (const TFormValue& item : v.List) lines.push_back(TextValue(item, ctx));
  return lines;
}

namespace {

constexpr QRgb Rgb(unsigned hex) { return 0xFF000000u | hex; }

// The system colours by index, as a current desktop of the authoring side paints them.
constexpr std::array<QRgb, 31> kSystemColours = {
    Rgb(0xC8C8C8), Rgb(0x000000), Rgb(0x99B4D1), Rgb(0xBFCDDB), Rgb(0xF0F0F0), Rgb(0xFFFFFF), Rgb(0x646464),
    Rgb(0x000000), Rgb(0x000000), Rgb(0x000000), Rgb(0xB4B4B4), Rgb(0xF4F7FC), Rgb(0xABABAB), Rgb(0x0078D7),
    Rgb(0xFFFFFF), Rgb(0xF0F0F0), Rgb(0xA0A0A0), Rgb(0x6D6D6D), Rgb(0x000000), Rgb(0x000000), Rgb(0xFFFFFF),
    Rgb(0x696969), Rgb(0xE3E3E3), Rgb(0x000000), Rgb(0xFFFFE1), Rgb(0x000000), Rgb(0x0066CC), Rgb(0xB9D1EA),
    Rgb(0xD7E4F2), Rgb(0x3399FF), Rgb(0xF0F0F0)};

struct TNamedColour {
  const char* Name;
  int64_t Value;  // $00BBGGRR, or $80000000 + system index
};

constexpr int64_t kSys = 0x80000000LL;
constexpr int64_t kClNone = 0x1FFFFFFF;
constexpr int64_t kClDefault = 0x20000000;

constexpr TNamedColour kNamedColours[] = {
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clLtGray", 0xC0C0C0},
    {"clDkGray", 0x808080}, {"clWhite", 0xFFFFFF}, {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0}, {"clNone", kClNone}, {"clDefault", kClDefault},
    {"clScrollBar", kSys + 0}, {"clBackground", kSys + 1}, {"clActiveCaption", kSys + 2},
    {"clInactiveCaption", kSys + 3}, {"clMenu", kSys + 4}, {"clWindow", kSys + 5}, {"clWindowFrame", kSys + 6},
    {"clMenuText", kSys + 7}, {"clWindowText", kSys + 8}, {"clCaptionText", kSys + 9},
    {"clActiveBorder", kSys + 10}, {"clInactiveBorder", kSys + 11}, {"clAppWorkSpace", kSys + 12},
    {"clHighlight", kSys + 13}, {"clHighlightText", kSys + 14}, {"clBtnFace", kSys + 15},
    {"clBtnShadow", kSys + 16}, {"clGrayText", kSys + 17}, {"clBtnText", kSys + 18},
    {"clInactiveCaptionText", kSys + 19}, {"clBtnHighlight", kSys + 20}, {"cl3DDkShadow", kSys + 21},
    {"cl3DLight", kSys + 22}, {"clInfoText", kSys + 23}, {"clInfoBk", kSys + 24}, {"clHotLight", kSys + 26},
    {"clGradientActiveCaption", kSys + 27}, {"clGradientInactiveCaption", kSys + 28},
    {"clMenuHighlight", kSys + 29}, {"clMenuBar", kSys + 30}};

QColor ColourOfNumber(int64_t value) {
  const uint32_t u = static_cast<uint32_t>(value);
  if (u == kClNone || u == kClDefault) return QColor();
  if (u & 0x80000000u) {
    const uint32_t index = u & 0xFF;
    return index < kSystemColours.size() ? QColor::fromRgb(kSystemColours[index]) : QColor(Qt::black);
  }
  return QColor(static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF), static_cast<int>((u >> 16) & 0xFF));
}

}  // namespace

std::optional<QColor> DelphiColourByName(std::string_view name) {
  for (const TNamedColour& c : kNamedColours)
    if (SameTextAscii(name, c.Name)) return ColourOfNumber(c.Value);
  return std::nullopt;
}

QColor ColourValue(const TFormValue& v, const TFormBuildContext& ctx) {
  if (v.Kind == TFormValueKind::Integer) return ColourOfNumber(v.Integer);
  if (v.Kind == TFormValueKind::Ident) {
    if (auto c = DelphiColourByName(v.Text)) return *c;
    ThrowBadValue(ctx, v, "\"" + v.Text + "\" is no colour");
  }
  ThrowBadValue(ctx, v, "a colour was expected");
}

Qt::CursorShape CursorValue(const TFormValue& v, const TFormBuildContext& ctx) {
  struct TNamedCursor {
    const char* Name;
    int Value;
    Qt::CursorShape Shape;
  };
  static const TNamedCursor kCursors[] = {
      {"crDefault", 0, Qt::ArrowCursor},       {"crNone", -1, Qt::BlankCursor},
      {"crArrow", -2, Qt::ArrowCursor},        {"crCross", -3, Qt::CrossCursor},
      {"crIBeam", -4, Qt::IBeamCursor},        {"crSizeNESW", -6, Qt::SizeBDiagCursor},
      {"crSizeNS", -7, Qt::SizeVerCursor},     {"crSizeNWSE", -8, Qt::SizeFDiagCursor},
      {"crSizeWE", -9, Qt::SizeHorCursor},     {"crUpArrow", -10, Qt::UpArrowCursor},
      {"crHourGlass", -11, Qt::WaitCursor},    {"crDrag", -12, Qt::DragMoveCursor},
      {"crNoDrop", -13, Qt::ForbiddenCursor},  {"crHSplit", -14, Qt::SplitHCursor},
      {"crVSplit", -15, Qt::SplitVCursor},     {"crMultiDrag", -16, Qt::DragCopyCursor},
      {"crSQLWait", -17, Qt::WaitCursor},      {"crNo", -18, Qt::ForbiddenCursor},
      {"crAppStart", -19, Qt::BusyCursor},     {"crHelp", -20, Qt::WhatsThisCursor},
      {"crHandPoint", -21, Qt::PointingHandCursor}, {"crSizeAll", -22, Qt::SizeAllCursor},
      {"crSize", -22, Qt::SizeAllCursor}};
  for (const TNamedCursor& c : kCursors) {
    if (v.Kind == TFormValueKind::Ident && SameTextAscii(v.Text, c.Name)) return c.Shape;
    if (v.Kind == TFormValueKind::Integer && v.Integer == c.Value) return c.Shape;
  }
  // A cursor of the authoring side's own (a positive number) has no shape here.
  if (v.Kind == TFormValueKind::Integer) return Qt::ArrowCursor;
  ThrowBadValue(ctx, v, "a cursor was expected");
}

QImage PictureValue(const TFormValue& v, const TFormBuildContext& ctx) {
  if (v.Kind != TFormValueKind::Bytes) ThrowBadValue(ctx, v, "picture data was expected");
  TBitmap32 bitmap;
  try {
    bitmap = DecodeFormPicture(v.Bytes);
  } catch (const std::exception& e) {
    ThrowBadValue(ctx, v, e.what());
  }
  if (bitmap.Empty()) return QImage();
  // The surface's pixels are A R G B words, as QImage's ARGB32 holds them.
  QImage image(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(), bitmap.Height(), bitmap.Width() * 4,
               QImage::Format_ARGB32);
  return image.copy();
}

Qt::Alignment HorizontalAlignment(const std::string& ident) {
  if (SameTextAscii(ident, "taCenter")) return Qt::AlignHCenter;
  if (SameTextAscii(ident, "taRightJustify")) return Qt::AlignRight;
  return Qt::AlignLeft;
}

Qt::Alignment VerticalLayout(const std::string& ident) {
  if (SameTextAscii(ident, "tlCenter")) return Qt::AlignVCenter;
  if (SameTextAscii(ident, "tlBottom")) return Qt::AlignBottom;
  return Qt::AlignTop;
}

QString WithoutAccelerator(const QString& caption) {
  QString out;
  out.reserve(caption.size());
  for (int i = 0; i < caption.size(); ++i) {
    // "&x" draws x (underlined by the authoring side), so "&&" draws one "&"; a last "&" nothing.
    if (caption[i] == '&') {
      if (i + 1 < caption.size()) out += caption[++i];
      continue;
    }
    out += caption[i];
  }
  return out;
}

QChar AcceleratorOf(const QString& caption) {
  for (int i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return caption[i + 1].toLower();
  }
  return QChar();
}

}  // namespace ky
