#include "config/ui/uCommonProperties.h"

#include <QFont>
#include <QPalette>
#include <cmath>

#include "config/ui/uFormValues.h"
#include "platform/uText.h"

namespace ky {

void SetWidgetColour(QWidget& w, const QColor& colour) {
  if (!colour.isValid()) return;
  QPalette p = w.palette();
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) p.setColor(role, colour);
  w.setPalette(p);
  w.setAutoFillBackground(true);
}

void SetWidgetTextColour(QWidget& w, const QColor& colour) {
  if (!colour.isValid()) return;
  QPalette p = w.palette();
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(role, colour);
  w.setPalette(p);
}

void AdoptWidgetChild(TFormComponent& parent, TFormComponent& child) {
  QWidget* p = parent.Widget();
  if (!p) return;
  if (QWidget* w = child.Widget())
    w->setParent(p);
  else
    child.Object->setParent(p);  // a timer: owned, not placed
}

TPropertySetter IntegerSetter(std::function<void(TFormComponent&, int)> apply) {
  return [apply](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) { apply(c, IntegerValue(v, ctx)); };
}
TPropertySetter BoolSetter(std::function<void(TFormComponent&, bool)> apply) {
  return [apply](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) { apply(c, BoolValue(v, ctx)); };
}
TPropertySetter TextSetter(std::function<void(TFormComponent&, const QString&)> apply) {
  return [apply](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
    apply(c, QString::fromStdString(TextValue(v, ctx)));
  };
}
TPropertySetter IdentSetter(std::function<void(TFormComponent&, const std::string&)> apply) {
  return [apply](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) { apply(c, IdentValue(v, ctx)); };
}
TPropertySetter NoEffect() {
  return [](TFormComponent&, const TFormValue&, const TFormBuildContext&) {};
}

namespace {

QWidget& W(TFormComponent& c) { return ObjectAs<QWidget>(c); }

void ChangeFont(TFormComponent& c, const std::function<void(QFont&)>& change) {
  QFont f = W(c).font();
  change(f);
  W(c).setFont(f);
}

TAlign AlignOf(const std::string& ident) {
  static const std::pair<const char*, TAlign> kAligns[] = {
      {"alNone", TAlign::None},   {"alTop", TAlign::Top},       {"alBottom", TAlign::Bottom}, {"alLeft", TAlign::Left},
      {"alRight", TAlign::Right}, {"alClient", TAlign::Client}, {"alCustom", TAlign::Custom}};
  for (const auto& [name, a] : kAligns)
    if (SameTextAscii(ident, name)) return a;
  return TAlign::None;
}

}  // namespace

void RegisterBaseClasses(TFormClassRegistry& r) {
  TFormClass component;
  component.Name = "TComponent";
  component.Properties["Tag"] = IntegerSetter([](TFormComponent& c, int v) { c.Tag = v; });
  r.Register(std::move(component));

  TFormClass control;
  control.Name = "TControl";
  control.Base = "TComponent";
  control.Adopt = AdoptWidgetChild;
  auto& p = control.Properties;
  p["Left"] = IntegerSetter([](TFormComponent& c, int v) { W(c).move(v, W(c).y()); });
  p["Top"] = IntegerSetter([](TFormComponent& c, int v) { W(c).move(W(c).x(), v); });
  p["Width"] = IntegerSetter([](TFormComponent& c, int v) { W(c).resize(std::max(0, v), W(c).height()); });
  p["Height"] = IntegerSetter([](TFormComponent& c, int v) { W(c).resize(W(c).width(), std::max(0, v)); });
  p["Align"] = IdentSetter([](TFormComponent& c, const std::string& v) { c.Align = AlignOf(v); });
  p["Visible"] = BoolSetter([](TFormComponent& c, bool v) { W(c).setHidden(!v); });
  p["Enabled"] = BoolSetter([](TFormComponent& c, bool v) { W(c).setEnabled(v); });
  p["Hint"] = [](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) { c.Hint = TextValue(v, ctx); };
  p["ShowHint"] = BoolSetter([](TFormComponent& c, bool v) { c.ShowHint = v; });
  p["ParentShowHint"] = NoEffect();  // the hint rule looks at the parents anyway
  p["Cursor"] = [](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
    W(c).setCursor(CursorValue(v, ctx));
  };
  p["Color"] = [](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
    SetWidgetColour(W(c), ColourValue(v, ctx));
  };
  p["TabOrder"] = IntegerSetter([](TFormComponent& c, int v) { c.TabOrder = v; });
  p["TabStop"] = BoolSetter([](TFormComponent& c, bool v) { W(c).setFocusPolicy(v ? Qt::StrongFocus : Qt::NoFocus); });
  p["Font.Name"] = TextSetter([](TFormComponent& c, const QString& v) { ChangeFont(c, [&](QFont& f) { f.setFamily(v); }); });
  // A negative height is the character height in pixels; a positive one the cell height, of which
  // the characters take about four fifths.
  p["Font.Height"] = IntegerSetter([](TFormComponent& c, int v) {
    ChangeFont(c, [&](QFont& f) {
      const int px = v < 0 ? -v : (v * 4 + 2) / 5;
      if (px > 0) f.setPixelSize(px);
    });
  });
  p["Font.Size"] = IntegerSetter([](TFormComponent& c, int v) {
    ChangeFont(c, [&](QFont& f) {
      // Points at the 96 dots an inch of the authoring side.
      const int px = static_cast<int>(std::lround(std::abs(v) * 96.0 / 72.0));
      if (px > 0) f.setPixelSize(px);
    });
  });
  p["Font.Style"] = [](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
    if (v.Kind != TFormValueKind::Set) ThrowBadValue(ctx, v, "a set of font styles was expected");
    ChangeFont(c, [&](QFont& f) {
      f.setBold(false), f.setItalic(false), f.setUnderline(false), f.setStrikeOut(false);
      for (const std::string& s : v.Set) {
        if (SameTextAscii(s, "fsBold")) f.setBold(true);
        if (SameTextAscii(s, "fsItalic")) f.setItalic(true);
        if (SameTextAscii(s, "fsUnderline")) f.setUnderline(true);
        if (SameTextAscii(s, "fsStrikeOut")) f.setStrikeOut(true);
      }
    });
  };
  p["Font.Color"] = [](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
    SetWidgetTextColour(W(c), ColourValue(v, ctx));
  };
  // The character set picks code pages on the authoring side; texts here are Unicode already.
  p["Font.Charset"] = NoEffect();
  p["ParentFont"] = NoEffect();
  p["ParentColor"] = NoEffect();
  r.Register(std::move(control));
}

}  // namespace ky
