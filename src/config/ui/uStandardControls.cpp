#include "config/ui/uStandardControls.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "config/ui/uCommonProperties.h"
#include "config/ui/uFormValues.h"
#include "platform/uText.h"

namespace ky {

TKyLabel::TKyLabel() {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TKyLabel::SetCaption(const QString& caption) {
  FCaption = caption;
  setText(WithoutAccelerator(caption));
  if (FLoaded) AdjustToText();
}

void TKyLabel::AdjustToText() {
  if (!AutoSize) return;
  if (wordWrap())
    resize(width(), heightForWidth(width()) > 0 ? heightForWidth(width()) : sizeHint().height());
  else
    resize(sizeHint());
}

void TKyLabel::Loaded() {
  FLoaded = true;
  AdjustToText();
  if (Colour.isValid() && !Transparent)
    SetWidgetColour(*this, Colour);
  else
    setAutoFillBackground(false);
}

void TKyLabel::mousePressEvent(QMouseEvent* e) {
  ClickPress(e);
  QLabel::mousePressEvent(e);
}
void TKyLabel::mouseReleaseEvent(QMouseEvent* e) {
  ClickRelease(e, rect());
  QLabel::mouseReleaseEvent(e);
}

namespace {

template <typename T>
TFormClass MakeClass(const char* name, const char* base) {
  TFormClass cls;
  cls.Name = name;
  cls.Base = base;
  cls.Create = [] { return std::make_unique<T>(); };
  return cls;
}

// A glyph holds NumGlyphs looks side by side; the first is the normal one. Its bottom-left
// pixel's colour is the transparent colour, as bitmaps of buttons have it.
QIcon GlyphIcon(QImage glyph, int numGlyphs) {
  if (glyph.isNull()) return QIcon();
  if (numGlyphs > 1 && glyph.width() >= numGlyphs) glyph = glyph.copy(0, 0, glyph.width() / numGlyphs, glyph.height());
  glyph = glyph.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = glyph.pixel(0, glyph.height() - 1);
  for (int y = 0; y < glyph.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(glyph.scanLine(y));
    for (int x = 0; x < glyph.width(); ++x)
      if (row[x] == key) row[x] = 0;
  }
  return QIcon(QPixmap::fromImage(glyph));
}

// A bit button keeps its glyph and glyph count until both are known.
class TKyBitBtn final : public QPushButton, public TClickable {
 public:
  TKyBitBtn() { connect(this, &QPushButton::clicked, [this] { Click(); }); }
  QImage Glyph;
  int NumGlyphs = 1;
  void Loaded() {
    const QIcon icon = GlyphIcon(Glyph, NumGlyphs);
    setIcon(icon);
    if (!icon.isNull()) setIconSize(icon.availableSizes().value(0));
  }
};

QTabWidget* PageControlOf(QWidget& page) {
  for (QWidget* p = page.parentWidget(); p; p = p->parentWidget())
    if (auto* tabs = dynamic_cast<QTabWidget*>(p)) return tabs;
  return nullptr;
}

void SetCaptionOfButton(TFormComponent& c, const QString& v) { ObjectAs<QAbstractButton>(c).setText(v); }

}  // namespace

void RegisterStandardControls(TFormClassRegistry& r) {
  {
    TFormClass cls = MakeClass<TKyLabel>("TLabel", "TControl");
    auto& p = cls.Properties;
    auto L = [](TFormComponent& c) -> TKyLabel& { return ObjectAs<TKyLabel>(c); };
    p["Caption"] = TextSetter([L](TFormComponent& c, const QString& v) { L(c).SetCaption(v); });
    p["Alignment"] = IdentSetter([L](TFormComponent& c, const std::string& v) {
      L(c).setAlignment(HorizontalAlignment(v) | (L(c).alignment() & Qt::AlignVertical_Mask));
    });
    p["Layout"] = IdentSetter([L](TFormComponent& c, const std::string& v) {
      L(c).setAlignment(VerticalLayout(v) | (L(c).alignment() & Qt::AlignHorizontal_Mask));
    });
    p["AutoSize"] = BoolSetter([L](TFormComponent& c, bool v) { L(c).AutoSize = v; });
    p["WordWrap"] = BoolSetter([L](TFormComponent& c, bool v) { L(c).setWordWrap(v); });
    p["Transparent"] = BoolSetter([L](TFormComponent& c, bool v) { L(c).Transparent = v; });
    p["Color"] = [L](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
      L(c).Colour = ColourValue(v, ctx);
    };
    p["ShowAccelChar"] = NoEffect();
    p["FocusControl"] = NoEffect();
    cls.Loaded = [L](TFormComponent& c) { L(c).Loaded(); };
    r.Register(std::move(cls));
  }
  {
    TFormClass cls = MakeClass<QLineEdit>("TEdit", "TControl");
    auto& p = cls.Properties;
    auto E = [](TFormComponent& c) -> QLineEdit& { return ObjectAs<QLineEdit>(c); };
    p["Text"] = TextSetter([E](TFormComponent& c, const QString& v) { E(c).setText(v); });
    p["ReadOnly"] = BoolSetter([E](TFormComponent& c, bool v) { E(c).setReadOnly(v); });
    p["MaxLength"] = IntegerSetter([E](TFormComponent& c, int v) { E(c).setMaxLength(v > 0 ? v : 32767); });
    p["PasswordChar"] = TextSetter([E](TFormComponent& c, const QString& v) {
      E(c).setEchoMode(v.isEmpty() || v == QChar(0) ? QLineEdit::Normal : QLineEdit::Password);
    });
    r.Register(std::move(cls));
  }
  {
    TFormClass cls = MakeClass<QPushButton>("TButton", "TControl");
    cls.Properties["Caption"] = TextSetter(SetCaptionOfButton);
    cls.Properties["Default"] = BoolSetter([](TFormComponent& c, bool v) { ObjectAs<QPushButton>(c).setDefault(v); });
    r.Register(std::move(cls));
  }
  {
    TFormClass cls = MakeClass<TKyBitBtn>("TBitBtn", "TControl");
    auto& p = cls.Properties;
    auto B = [](TFormComponent& c) -> TKyBitBtn& { return ObjectAs<TKyBitBtn>(c); };
    p["Caption"] = TextSetter(SetCaptionOfButton);
    p["Default"] = BoolSetter([B](TFormComponent& c, bool v) { B(c).setDefault(v); });
    p["Glyph.Data"] = [B](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
      B(c).Glyph = PictureValue(v, ctx);
    };
    p["NumGlyphs"] = IntegerSetter([B](TFormComponent& c, int v) { B(c).NumGlyphs = v; });
    cls.Loaded = [B](TFormComponent& c) { B(c).Loaded(); };
    r.Register(std::move(cls));
  }
  {
    TFormClass cls = MakeClass<QCheckBox>("TCheckBox", "TControl");
    auto& p = cls.Properties;
    auto K = [](TFormComponent& c) -> QCheckBox& { return ObjectAs<QCheckBox>(c); };
    p["Caption"] = TextSetter(SetCaptionOfButton);
    p["Checked"] = BoolSetter([K](TFormComponent& c, bool v) { K(c).setChecked(v); });
    p["AllowGrayed"] = BoolSetter([K](TFormComponent& c, bool v) { K(c).setTristate(v); });
    p["State"] = IdentSetter([K](TFormComponent& c, const std::string& v) {
      K(c).setCheckState(SameTextAscii(v, "cbChecked")   ? Qt::Checked
                         : SameTextAscii(v, "cbGrayed") ? Qt::PartiallyChecked
                                                        : Qt::Unchecked);
    });
    r.Register(std::move(cls));
  }
  {
    TFormClass cls = MakeClass<TKyPageControl>("TPageControl", "TControl");
    auto& p = cls.Properties;
    auto T = [](TFormComponent& c) -> TKyPageControl& { return ObjectAs<TKyPageControl>(c); };
    p["ActivePage"] = IdentSetter([T](TFormComponent& c, const std::string& v) { T(c).ActivePageName = v; });
    p["TabIndex"] = IntegerSetter([T](TFormComponent& c, int v) { T(c).ActiveIndex = v; });
    p["TabPosition"] = IdentSetter([T](TFormComponent& c, const std::string& v) {
      T(c).setTabPosition(SameTextAscii(v, "tpBottom") ? QTabWidget::South
                          : SameTextAscii(v, "tpLeft") ? QTabWidget::West
                          : SameTextAscii(v, "tpRight") ? QTabWidget::East
                                                        : QTabWidget::North);
    });
    // How the tabs look when hovered and their drawing style are the platform's.
    p["HotTrack"] = NoEffect();
    p["Style"] = NoEffect();
    p["MultiLine"] = NoEffect();
    cls.Adopt = [](TFormComponent& self, TFormComponent& child) {
      QWidget* page = child.Widget();
      if (!page || child.ClassName != "TTabSheet") return;  // only pages go into a page control
      ObjectAs<TKyPageControl>(self).addTab(page, QString());
    };
    cls.Loaded = [T](TFormComponent& c) {
      TKyPageControl& tabs = T(c);
      for (int i = 0; i < tabs.count(); ++i)
        if (!tabs.ActivePageName.empty() &&
            SameTextAscii(tabs.widget(i)->objectName().toStdString(), tabs.ActivePageName))
          tabs.setCurrentIndex(i);
      if (tabs.ActivePageName.empty() && tabs.ActiveIndex >= 0 && tabs.ActiveIndex < tabs.count())
        tabs.setCurrentIndex(tabs.ActiveIndex);
    };
    r.Register(std::move(cls));
  }
  {
    TFormClass cls = MakeClass<QWidget>("TTabSheet", "TControl");
    auto& p = cls.Properties;
    p["Caption"] = TextSetter([](TFormComponent& c, const QString& v) {
      QWidget& page = ObjectAs<QWidget>(c);
      if (QTabWidget* tabs = PageControlOf(page)) tabs->setTabText(tabs->indexOf(&page), v);
    });
    p["TabVisible"] = BoolSetter([](TFormComponent& c, bool v) {
      QWidget& page = ObjectAs<QWidget>(c);
      if (QTabWidget* tabs = PageControlOf(page)) tabs->setTabVisible(tabs->indexOf(&page), v);
    });
    // The page control places its pages; the position a page was designed at does not count.
    for (const char* name : {"Left", "Top", "Width", "Height", "PageControl"}) p[name] = NoEffect();
    r.Register(std::move(cls));
  }
  {
    TFormClass cls = MakeClass<QTimer>("TTimer", "TComponent");
    cls.Create = [] {
      auto timer = std::make_unique<QTimer>();
      timer->setInterval(1000);  // the authoring side's default
      return timer;
    };
    auto& p = cls.Properties;
    p["Interval"] = IntegerSetter([](TFormComponent& c, int v) { ObjectAs<QTimer>(c).setInterval(std::max(0, v)); });
    p["Enabled"] = BoolSetter([](TFormComponent& c, bool v) { ObjectAs<QTimer>(c).setProperty("kyEnabled", v); });
    // A timer of a window text has no handler: running it would change nothing.
    r.Register(std::move(cls));
  }
}

}  // namespace ky
