#include "config/ui/uPaintedControls.h"

#include <QPainter>
#include <algorithm>

#include "config/uFormPicture.h"
#include "config/ui/uCommonProperties.h"
#include "config/ui/uFormValues.h"
#include "platform/uText.h"

namespace ky {

namespace {

const QColor kHighlight(0xFF, 0xFF, 0xFF);  // clBtnHighlight
const QColor kShadow(0xA0, 0xA0, 0xA0);     // clBtnShadow

TBevelCut CutOf(const std::string& v) {
  if (SameTextAscii(v, "bvLowered")) return TBevelCut::Lowered;
  if (SameTextAscii(v, "bvRaised")) return TBevelCut::Raised;
  if (SameTextAscii(v, "bvSpace")) return TBevelCut::Space;
  return TBevelCut::None;
}

int EdgeWidth(TBevelCut cut, int width) { return cut == TBevelCut::None ? 0 : width; }

}  // namespace

QRect DrawBevelEdge(QPainter& p, QRect r, TBevelCut cut, int width) {
  if (cut == TBevelCut::None) return r;
  for (int i = 0; i < width; ++i) {
    if (cut != TBevelCut::Space) {
      const QColor topLeft = cut == TBevelCut::Raised ? kHighlight : kShadow;
      const QColor bottomRight = cut == TBevelCut::Raised ? kShadow : kHighlight;
      p.setPen(topLeft);
      p.drawLine(r.left(), r.top(), r.right(), r.top());
      p.drawLine(r.left(), r.top(), r.left(), r.bottom());
      p.setPen(bottomRight);
      p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
      p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    }
    r.adjust(1, 1, -1, -1);
  }
  return r;
}

void TKyPanel::UpdateMargins() {
  const int m = EdgeWidth(BevelOuter, BevelWidth) + BorderWidth + EdgeWidth(BevelInner, BevelWidth);
  setContentsMargins(m, m, m, m);
  update();
}

void TKyPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QRect r = DrawBevelEdge(p, rect(), BevelOuter, BevelWidth);
  r.adjust(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth);
  r = DrawBevelEdge(p, r, BevelInner, BevelWidth);
  if (!Caption.isEmpty()) {
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r, static_cast<int>(CaptionAlignment) | Qt::TextSingleLine, WithoutAccelerator(Caption));
  }
}
void TKyPanel::mousePressEvent(QMouseEvent* e) { ClickPress(e); }
void TKyPanel::mouseReleaseEvent(QMouseEvent* e) { ClickRelease(e, rect()); }

void TKyShape::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, Kind == TKind::Ellipse || Kind == TKind::Circle ||
                                              Kind == TKind::RoundRect || Kind == TKind::RoundSquare);
  p.setPen(PenClear || PenWidth <= 0 ? QPen(Qt::NoPen) : QPen(PenColour, PenWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(BrushClear ? QBrush(Qt::NoBrush) : QBrush(BrushColour));
  // The pen runs inside the control, as the shape's outline is drawn there.
  const int pw = PenClear ? 0 : std::max(0, PenWidth);
  QRectF r(pw / 2.0, pw / 2.0, width() - pw, height() - pw);
  if (Kind == TKind::Square || Kind == TKind::RoundSquare || Kind == TKind::Circle) {
    const double side = std::min(r.width(), r.height());
    r = QRectF(r.left() + (r.width() - side) / 2, r.top() + (r.height() - side) / 2, side, side);
  }
  switch (Kind) {
    case TKind::Rectangle:
    case TKind::Square: p.drawRect(r); break;
    case TKind::RoundRect:
    case TKind::RoundSquare: {
      const double radius = std::min(r.width(), r.height()) / 8;
      p.drawRoundedRect(r, radius, radius);
      break;
    }
    case TKind::Ellipse:
    case TKind::Circle: p.drawEllipse(r); break;
  }
}
void TKyShape::mousePressEvent(QMouseEvent* e) {
  if (ReportsClicks) ClickPress(e);
}
void TKyShape::mouseReleaseEvent(QMouseEvent* e) {
  if (ReportsClicks) ClickRelease(e, rect());
}

void TKyBevel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor first = Raised ? kHighlight : kShadow;
  const QColor second = Raised ? kShadow : kHighlight;
  const QRect r = rect();
  auto line = [&](const QColor& c, int x1, int y1, int x2, int y2) {
    p.setPen(c);
    p.drawLine(x1, y1, x2, y2);
  };
  switch (Kind) {
    case TKind::Box: DrawBevelEdge(p, r, Raised ? TBevelCut::Raised : TBevelCut::Lowered, 1); break;
    case TKind::Frame:
      DrawBevelEdge(p, r, Raised ? TBevelCut::Raised : TBevelCut::Lowered, 1);
      DrawBevelEdge(p, r.adjusted(1, 1, -1, -1), Raised ? TBevelCut::Lowered : TBevelCut::Raised, 1);
      break;
    case TKind::TopLine:
      line(first, 0, 0, r.right(), 0);
      line(second, 0, 1, r.right(), 1);
      break;
    case TKind::BottomLine:
      line(first, 0, r.bottom() - 1, r.right(), r.bottom() - 1);
      line(second, 0, r.bottom(), r.right(), r.bottom());
      break;
    case TKind::LeftLine:
      line(first, 0, 0, 0, r.bottom());
      line(second, 1, 0, 1, r.bottom());
      break;
    case TKind::RightLine:
      line(first, r.right() - 1, 0, r.right() - 1, r.bottom());
      line(second, r.right(), 0, r.right(), r.bottom());
      break;
    case TKind::Spacer: break;
  }
}
void TKyBevel::mousePressEvent(QMouseEvent* e) {
  if (ReportsClicks) ClickPress(e);
}
void TKyBevel::mouseReleaseEvent(QMouseEvent* e) {
  if (ReportsClicks) ClickRelease(e, rect());
}

TKyImage::TKyImage() { setAttribute(Qt::WA_TranslucentBackground, false); }

void TKyImage::SetPicture(QImage image, bool isBitmap) {
  FPicture = std::move(image);
  FIsBitmap = isBitmap;
  FKeyed = QImage();
  if (FIsBitmap && !FPicture.isNull()) {
    FKeyed = FPicture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = FKeyed.pixel(0, FKeyed.height() - 1);
    for (int y = 0; y < FKeyed.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(FKeyed.scanLine(y));
      for (int x = 0; x < FKeyed.width(); ++x)
        if (row[x] == key) row[x] = 0;
    }
  }
  update();
}

void TKyImage::Loaded() {
  if (AutoSize && !FPicture.isNull()) resize(FPicture.size());
}

void TKyImage::paintEvent(QPaintEvent*) {
  if (FPicture.isNull()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  int w = FPicture.width(), h = FPicture.height();
  const int cw = width(), ch = height();
  if (Stretch || (Proportional && (w > cw || h > ch))) {
    if (Proportional && w > 0 && h > 0) {
      const double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw, h = static_cast<int>(cw / aspect);
        if (h > ch) h = ch, w = static_cast<int>(ch * aspect);
      } else {
        h = ch, w = static_cast<int>(ch * aspect);
        if (w > cw) w = cw, h = static_cast<int>(cw / aspect);
      }
    } else {
      w = cw, h = ch;
    }
  }
  QRect dest(0, 0, w, h);
  if (Center) dest.translate((cw - w) / 2, (ch - h) / 2);
  p.drawImage(dest, Transparent && !FKeyed.isNull() ? FKeyed : FPicture);
}
void TKyImage::mousePressEvent(QMouseEvent* e) { ClickPress(e); }
void TKyImage::mouseReleaseEvent(QMouseEvent* e) { ClickRelease(e, rect()); }

namespace {

template <typename T>
TFormClass MakeClass(const char* name, const char* base) {
  TFormClass cls;
  cls.Name = name;
  cls.Base = base;
  cls.Create = [] { return std::make_unique<T>(); };
  return cls;
}

void AddShapeProperties(TFormClass& cls) {
  auto S = [](TFormComponent& c) -> TKyShape& { return ObjectAs<TKyShape>(c); };
  auto& p = cls.Properties;
  p["Shape"] = IdentSetter([S](TFormComponent& c, const std::string& v) {
    using K = TKyShape::TKind;
    static const std::pair<const char*, K> kinds[] = {{"stRectangle", K::Rectangle}, {"stSquare", K::Square},
                                                      {"stRoundRect", K::RoundRect}, {"stRoundSquare", K::RoundSquare},
                                                      {"stEllipse", K::Ellipse},     {"stCircle", K::Circle}};
    for (const auto& [name, k] : kinds)
      if (SameTextAscii(v, name)) S(c).Kind = k;
  });
  p["Brush.Color"] = [S](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
    S(c).BrushColour = ColourValue(v, ctx);
  };
  p["Brush.Style"] = IdentSetter([S](TFormComponent& c, const std::string& v) { S(c).BrushClear = SameTextAscii(v, "bsClear"); });
  p["Pen.Color"] = [S](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
    S(c).PenColour = ColourValue(v, ctx);
  };
  p["Pen.Width"] = IntegerSetter([S](TFormComponent& c, int v) { S(c).PenWidth = v; });
  p["Pen.Style"] = IdentSetter([S](TFormComponent& c, const std::string& v) { S(c).PenClear = SameTextAscii(v, "psClear"); });
}

void AddBevelProperties(TFormClass& cls) {
  auto B = [](TFormComponent& c) -> TKyBevel& { return ObjectAs<TKyBevel>(c); };
  cls.Properties["Shape"] = IdentSetter([B](TFormComponent& c, const std::string& v) {
    using K = TKyBevel::TKind;
    static const std::pair<const char*, K> kinds[] = {{"bsBox", K::Box},           {"bsFrame", K::Frame},
                                                      {"bsTopLine", K::TopLine},   {"bsBottomLine", K::BottomLine},
                                                      {"bsLeftLine", K::LeftLine}, {"bsRightLine", K::RightLine},
                                                      {"bsSpacer", K::Spacer}};
    for (const auto& [name, k] : kinds)
      if (SameTextAscii(v, name)) B(c).Kind = k;
  });
  cls.Properties["Style"] = IdentSetter([B](TFormComponent& c, const std::string& v) { B(c).Raised = SameTextAscii(v, "bsRaised"); });
}

}  // namespace

void AddImageProperties(TFormClass& cls) {
  auto I = [](TFormComponent& c) -> TKyImage& { return ObjectAs<TKyImage>(c); };
  auto& p = cls.Properties;
  p["Picture.Data"] = [I](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
    QImage image = PictureValue(v, ctx);
    I(c).SetPicture(std::move(image), SameTextAscii(SplitFormPicture(v.Bytes).ClassName, "TBitmap"));
  };
  p["AutoSize"] = BoolSetter([I](TFormComponent& c, bool v) { I(c).AutoSize = v; });
  p["Stretch"] = BoolSetter([I](TFormComponent& c, bool v) { I(c).Stretch = v; });
  p["Center"] = BoolSetter([I](TFormComponent& c, bool v) { I(c).Center = v; });
  p["Proportional"] = BoolSetter([I](TFormComponent& c, bool v) { I(c).Proportional = v; });
  p["Transparent"] = BoolSetter([I](TFormComponent& c, bool v) { I(c).Transparent = v; });
  cls.Loaded = [I](TFormComponent& c) { I(c).Loaded(); };
}

void RegisterPaintedControls(TFormClassRegistry& r) {
  {
    TFormClass cls = MakeClass<TKyPanel>("TPanel", "TControl");
    auto P = [](TFormComponent& c) -> TKyPanel& { return ObjectAs<TKyPanel>(c); };
    auto& p = cls.Properties;
    p["Caption"] = TextSetter([P](TFormComponent& c, const QString& v) { P(c).Caption = v; });
    p["Alignment"] = IdentSetter([P](TFormComponent& c, const std::string& v) {
      P(c).CaptionAlignment = HorizontalAlignment(v) | Qt::AlignVCenter;
    });
    p["BevelOuter"] = IdentSetter([P](TFormComponent& c, const std::string& v) { P(c).BevelOuter = CutOf(v); });
    p["BevelInner"] = IdentSetter([P](TFormComponent& c, const std::string& v) { P(c).BevelInner = CutOf(v); });
    p["BevelWidth"] = IntegerSetter([P](TFormComponent& c, int v) { P(c).BevelWidth = std::max(0, v); });
    p["BorderWidth"] = IntegerSetter([P](TFormComponent& c, int v) { P(c).BorderWidth = std::max(0, v); });
    cls.Loaded = [P](TFormComponent& c) { P(c).UpdateMargins(); };
    r.Register(std::move(cls));
  }
  for (const char* name : {"TShape", "TMyShape"}) {
    TFormClass cls = MakeClass<TKyShape>(name, "TControl");
    if (std::string(name) == "TMyShape") cls.Create = [] {
      auto s = std::make_unique<TKyShape>();
      s->ReportsClicks = true;
      return s;
    };
    AddShapeProperties(cls);
    r.Register(std::move(cls));
  }
  {
    // Only the bevel that reports clicks is a class of the windows; the plain one is not.
    TFormClass cls = MakeClass<TKyBevel>("TMyBevel", "TControl");
    cls.Create = [] {
      auto b = std::make_unique<TKyBevel>();
      b->ReportsClicks = true;
      return b;
    };
    AddBevelProperties(cls);
    r.Register(std::move(cls));
  }
  {
    TFormClass cls = MakeClass<TKyImage>("TImage", "TControl");
    AddImageProperties(cls);
    r.Register(std::move(cls));
  }
}

}  // namespace ky
