#include "config/ui/uMyButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QTimer>

#include "config/uFormPicture.h"
#include "config/ui/uCommonProperties.h"
#include "config/ui/uFormValues.h"
#include "config/ui/uPaintedControls.h"
#include "platform/uText.h"

namespace ky {

namespace {

constexpr int kFirstRepeatMs = 500;
constexpr int kNextRepeatMs = 50;

class TQtRepeatTimer final : public TRepeatTimer {
 public:
  TQtRepeatTimer() {
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      if (OnTimer) OnTimer();
    });
  }
  void SetInterval(int ms) override { FTimer.setInterval(ms); }
  int Interval() const override { return FTimer.interval(); }
  void SetEnabled(bool enabled) override {
    if (enabled) FTimer.start();
    else FTimer.stop();
  }
  bool Enabled() const override { return FTimer.isActive(); }

 private:
  QTimer FTimer;
};

QImage Keyed(const QImage& image) {
  QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = keyed.pixel(0, keyed.height() - 1);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x)
      if (row[x] == key) row[x] = 0;
  }
  return keyed;
}

// Draws a picture at (0, 0); useTransparency: whether the Transparent switch applies to it.
void DrawPicture(QPainter& p, const TButtonPicture& pic, bool transparent, bool useTransparency) {
  p.drawImage(0, 0, useTransparency && transparent && pic.Bitmap ? Keyed(pic.Image) : pic.Image);
}

}  // namespace

TMyButton::TMyButton() : FTimerFactory([] { return std::make_unique<TQtRepeatTimer>(); }) { setMouseTracking(true); }
TMyButton::~TMyButton() = default;

void TMyButton::SetTransparent(bool v) {
  FTransparent = v;
  repaint();
}

void TMyButton::SetAllowDown(bool v) {
  FAllowDown = v;
  if (!v && FDown) {
    FDown = false;
    update();
  }
}

void TMyButton::SetDown(bool v) {
  if (!FAllowDown) return;
  FDown = v;
  update();
}

TMyButton::TLook TMyButton::Look() const {
  if (FDown) return TLook::Down;
  if (FMouseInControl) return FPressed ? TLook::Down : TLook::Over;
  return TLook::Up;
}

void TMyButton::Loaded() {
  if (AutoSize && !ButtonUp.Empty()) resize(ButtonUp.Image.size());
}

void TMyButton::paintEvent(QPaintEvent*) {
  if (AutoSize && !ButtonUp.Empty() && size() != ButtonUp.Image.size()) resize(ButtonUp.Image.size());
  QPainter p(this);
  QRect r = rect();
  auto pushFrame = [&](const QRect& frame) {
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = frame;
    option.state |= QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);
  };
  if (!isEnabled()) {
    if (!ButtonDisable.Empty())
      DrawPicture(p, ButtonDisable, FTransparent, true);
    else
      pushFrame(r);
    return;
  }
  switch (Look()) {
    case TLook::Up:
      if (!ButtonUp.Empty()) DrawPicture(p, ButtonUp, FTransparent, true);
      else pushFrame(r);
      break;
    case TLook::Down:
      if (!ButtonDown.Empty()) DrawPicture(p, ButtonDown, FTransparent, true);
      else if (!ButtonUp.Empty()) DrawPicture(p, ButtonUp, FTransparent, false);
      else DrawBevelEdge(p, r, TBevelCut::Lowered, 1);
      break;
    case TLook::Over:
      if (!ButtonOver.Empty()) DrawPicture(p, ButtonOver, FTransparent, true);
      else if (!ButtonUp.Empty()) DrawPicture(p, ButtonUp, FTransparent, false);
      else pushFrame(r);
      break;
  }
  r.adjust(1, 1, -1, -1);
  if (ShowCaption) {
    const QString text = WithoutAccelerator(Caption);
    const QFontMetrics m(font());
    const int tw = m.horizontalAdvance(text), th = m.height();
    p.setPen(palette().color(QPalette::ButtonText));
    p.setBrush(Qt::NoBrush);
    p.drawText(QRect((width() - tw) / 2, (height() - th) / 2, tw, th), Qt::AlignLeft | Qt::AlignTop, text);
  }
}

void TMyButton::MouseEntered() {
  if (FMouseInControl) return;
  if (FPressed && FTimer) FTimer->SetEnabled(true);
  FMouseInControl = true;
  update();
}

void TMyButton::MouseLeft() {
  if (!FMouseInControl) return;
  if (FTimer) FTimer->SetEnabled(false);
  FMouseInControl = false;
  update();
}

void TMyButton::enterEvent(QEnterEvent*) { MouseEntered(); }
void TMyButton::leaveEvent(QEvent*) {
  // While the left button is held, the move events decide (the press grabs the mouse).
  if (!FPressed) MouseLeft();
}

void TMyButton::mousePressEvent(QMouseEvent* e) {
  FMouseInControl = true;
  if (e->button() == Qt::LeftButton && !FPressed) {
    if (!FTimer) {
      FTimer = FTimerFactory();
      FTimer->OnTimer = [this] { TimerTick(); };
    }
    FTimer->SetInterval(kFirstRepeatMs);
    FTimer->SetEnabled(true);
    if (OnMousePressed) OnMousePressed(TPressSource::Button);
    FPressed = true;
    update();
  }
  ClickPress(e);
}

void TMyButton::mouseMoveEvent(QMouseEvent* e) {
  if (!FPressed) return;
  if (rect().contains(e->position().toPoint()))
    MouseEntered();
  else
    MouseLeft();
}

void TMyButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && FPressed) {
    if (FTimer) FTimer->SetEnabled(false);
    if (FAllowDown) FDown = !FDown;
    FPressed = false;
    if (!rect().contains(e->position().toPoint())) FMouseInControl = false;
    update();
  }
  ClickRelease(e, rect());
}

void TMyButton::TimerTick() {
  FTimer->SetInterval(kNextRepeatMs);
  if (OnMousePressed) OnMousePressed(TPressSource::Timer);
}

void TMyButton::showEvent(QShowEvent*) {
  QWidget* w = window();
  if (w != FWatchedWindow && w != this) {
    w->installEventFilter(this);
    FWatchedWindow = w;
  }
}

// A key the focused control did not take reaches the window: the accelerator of the caption
// clicks the button.
bool TMyButton::eventFilter(QObject* watched, QEvent* event) {
  if (watched != FWatchedWindow || event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const QChar accel = AcceleratorOf(Caption);
  if (accel.isNull() || key->text().size() != 1 || key->text()[0].toLower() != accel) return false;
  if (!isEnabled() || !isVisible() || !parentWidget() || !parentWidget()->isVisible()) return false;
  Click();
  return true;
}

namespace {

TPropertySetter PictureSetter(TButtonPicture TMyButton::*field) {
  return [field](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
    TMyButton& b = ObjectAs<TMyButton>(c);
    (b.*field).Image = PictureValue(v, ctx);
    (b.*field).Bitmap = SameTextAscii(SplitFormPicture(v.Bytes).ClassName, "TBitmap");
  };
}

}  // namespace

void RegisterMyButton(TFormClassRegistry& r) {
  TFormClass cls;
  cls.Name = "TMyButton";
  cls.Base = "TControl";
  cls.Create = [] { return std::make_unique<TMyButton>(); };
  auto B = [](TFormComponent& c) -> TMyButton& { return ObjectAs<TMyButton>(c); };
  auto& p = cls.Properties;
  p["Caption"] = TextSetter([B](TFormComponent& c, const QString& v) { B(c).Caption = v, B(c).update(); });
  p["ShowCaption"] = BoolSetter([B](TFormComponent& c, bool v) { B(c).ShowCaption = v; });
  p["AutoSize"] = BoolSetter([B](TFormComponent& c, bool v) { B(c).AutoSize = v; });
  p["Transparent"] = BoolSetter([B](TFormComponent& c, bool v) { B(c).SetTransparent(v); });
  p["AllowDown"] = BoolSetter([B](TFormComponent& c, bool v) { B(c).SetAllowDown(v); });
  p["Down"] = BoolSetter([B](TFormComponent& c, bool v) { B(c).SetDown(v); });
  p["ButtonUp.Data"] = PictureSetter(&TMyButton::ButtonUp);
  p["ButtonDown.Data"] = PictureSetter(&TMyButton::ButtonDown);
  p["ButtonOver.Data"] = PictureSetter(&TMyButton::ButtonOver);
  p["ButtonDisable.Data"] = PictureSetter(&TMyButton::ButtonDisable);
  cls.Loaded = [B](TFormComponent& c) { B(c).Loaded(); };
  r.Register(std::move(cls));
}

}  // namespace ky
