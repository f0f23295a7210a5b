#pragma once
// TMyButton: a button that draws itself from up to four pictures (up, down, over, disabled),
// with a latched-down state and an auto-repeating press report (once at the press, once 500 ms
// later, then every 50 ms while the left button stays down over it).
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

#include "config/ui/uClickable.h"

namespace ky {

// The repeat timer, behind an interface so that a test can step time itself.
class TRepeatTimer {
 public:
  virtual ~TRepeatTimer() = default;
  virtual void SetInterval(int ms) = 0;
  virtual int Interval() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  std::function<void()> OnTimer;
};
using TRepeatTimerFactory = std::function<std::unique_ptr<TRepeatTimer>()>;

// One look of the button. A bitmap drawn with Transparent leaves out its bottom-left colour.
struct TButtonPicture {
  QImage Image;
  bool Bitmap = false;
  bool Empty() const { return Image.isNull(); }
};

class TMyButton final : public QWidget, public TClickable {
 public:
  enum class TLook { Up, Over, Down };
  // Who fired OnMousePressed: the press itself or the repeat timer.
  enum class TPressSource { Button, Timer };

  TMyButton();
  ~TMyButton() override;

  void SetTimerFactory(TRepeatTimerFactory factory) { FTimerFactory = std::move(factory); }
  TRepeatTimer* RepeatTimer() const { return FTimer.get(); }

  QString Caption;
  bool ShowCaption = false;
  bool AutoSize = true;
  TButtonPicture ButtonUp, ButtonDown, ButtonOver, ButtonDisable;
  std::function<void(TPressSource)> OnMousePressed;

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  bool AllowDown() const { return FAllowDown; }
  void SetAllowDown(bool v);
  bool Down() const { return FDown; }
  void SetDown(bool v);
  bool MouseInControl() const { return FMouseInControl; }
  bool Pressed() const { return FPressed; }
  // The look the enabled button paints now.
  TLook Look() const;
  void Loaded();

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void showEvent(QShowEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MouseEntered();
  void MouseLeft();
  void TimerTick();

  bool FTransparent = true;
  bool FAllowDown = false;
  bool FDown = false;
  bool FMouseInControl = false;
  bool FPressed = false;
  QObject* FWatchedWindow = nullptr;
  TRepeatTimerFactory FTimerFactory;
  std::unique_ptr<TRepeatTimer> FTimer;
};

}  // namespace ky
