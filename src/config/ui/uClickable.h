#pragma once
// A control that reports clicks: the configuration window binds its action handler here.
#include <QMouseEvent>
#include <functional>

namespace ky {

class TClickable {
 public:
  virtual ~TClickable() = default;
  std::function<void()> OnClick;

 protected:
  void Click() const {
    if (OnClick) OnClick();
  }
  // A click is a left press and release inside the control.
  void ClickPress(const QMouseEvent* e) { FPressed = e->button() == Qt::LeftButton; }
  void ClickRelease(const QMouseEvent* e, const QRect& rect) {
    const bool click = FPressed && e->button() == Qt::LeftButton && rect.contains(e->position().toPoint());
    FPressed = false;
    if (click) Click();
  }

 private:
  bool FPressed = false;
};

}  // namespace ky
