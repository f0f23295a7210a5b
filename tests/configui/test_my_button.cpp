// The picture button: its looks, the latched state, the click, the accelerator and the timing of
// the auto-repeat, stepped on a clock of the test's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <vector>

#include "config/ui/uMyButton.h"
#include "ui_test_util.h"

namespace {

// Repeat timers on a clock that only the test moves. Like the platform's timer, enabling it or
// changing its interval while it runs starts its period afresh.
class TFakeClock {
 public:
  class TTimer final : public ky::TRepeatTimer {
   public:
    explicit TTimer(TFakeClock& clock) : FClock(clock) {}
    void SetInterval(int ms) override {
      FInterval = ms;
      FStart = FClock.Now;
    }
    int Interval() const override { return FInterval; }
    void SetEnabled(bool enabled) override {
      if (enabled) FStart = FClock.Now;
      FEnabled = enabled;
    }
    bool Enabled() const override { return FEnabled; }
    void Poll() {
      if (FEnabled && FInterval > 0 && FClock.Now - FStart >= FInterval) {
        FStart = FClock.Now;
        if (OnTimer) OnTimer();
      }
    }

   private:
    TFakeClock& FClock;
    int FInterval = 1000;
    int FStart = 0;
    bool FEnabled = false;
  };

  int Now = 0;
  std::vector<TTimer*> Timers;

  ky::TRepeatTimerFactory Factory() {
    return [this] {
      auto t = std::make_unique<TTimer>(*this);
      Timers.push_back(t.get());
      return t;
    };
  }
  void AdvanceTo(int ms) {
    while (Now < ms) {
      ++Now;
      for (TTimer* t : Timers) t->Poll();
    }
  }
};

void Send(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), w.mapToGlobal(QPointF(at)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                held, Qt::NoModifier);
  QApplication::sendEvent(&w, &e);
}
void Press(QWidget& w, QPoint at = {5, 5}) { Send(w, QEvent::MouseButtonPress, at, Qt::LeftButton); }
void Release(QWidget& w, QPoint at = {5, 5}) { Send(w, QEvent::MouseButtonRelease, at, Qt::NoButton); }
void MoveHeld(QWidget& w, QPoint at) { Send(w, QEvent::MouseMove, at, Qt::LeftButton); }
void Enter(QWidget& w) {
  QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w.mapToGlobal(QPointF(5, 5)));
  QApplication::sendEvent(&w, &e);
}
void Leave(QWidget& w) {
  QEvent e(QEvent::Leave);
  QApplication::sendEvent(&w, &e);
}

ky::TButtonPicture Solid(QRgb colour, int w = 20, int h = 10) {
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(colour);
  return {image, false};
}

uint32_t Centre(ky::TMyButton& b) { return kytest::Rgb(kytest::Painted(b), b.width() / 2, b.height() / 2); }

TEST(MyButton, LooksFollowTheMouseThePressAndTheLatch) {
  ky::TMyButton b;
  b.resize(20, 10);
  b.ButtonUp = Solid(0xFFFF0000);
  b.ButtonOver = Solid(0xFF00FF00);
  b.ButtonDown = Solid(0xFF0000FF);
  b.ButtonDisable = Solid(0xFF808080);
  b.SetAllowDown(true);
  EXPECT_EQ(Centre(b), 0xFF0000u);  // up
  Enter(b);
  EXPECT_EQ(Centre(b), 0x00FF00u);  // over
  Press(b);
  EXPECT_EQ(Centre(b), 0x0000FFu);  // down while pressed
  MoveHeld(b, {50, 50});
  EXPECT_EQ(Centre(b), 0xFF0000u);  // pressed but the mouse is away: up
  MoveHeld(b, {5, 5});
  EXPECT_EQ(Centre(b), 0x0000FFu);
  Release(b);
  EXPECT_TRUE(b.Down());
  Leave(b);
  EXPECT_EQ(Centre(b), 0x0000FFu);  // latched down wins
  b.setEnabled(false);
  EXPECT_EQ(Centre(b), 0x808080u);
}

TEST(MyButton, WithoutPicturesItIsAPushButtonFrameAndASunkenEdgeWhilePressed) {
  ky::TMyButton b;
  b.resize(30, 20);
  const QImage up = kytest::Painted(b);
  Enter(b);
  Press(b);
  const QImage down = kytest::Painted(b);
  // The sunken edge: shadow along the top and left, highlight along the bottom and right.
  EXPECT_EQ(kytest::Rgb(down, 10, 0), 0xA0A0A0u);
  EXPECT_EQ(kytest::Rgb(down, 0, 10), 0xA0A0A0u);
  EXPECT_EQ(kytest::Rgb(down, 10, 19), 0xFFFFFFu);
  EXPECT_EQ(kytest::Rgb(down, 29, 10), 0xFFFFFFu);
  EXPECT_NE(up, down);
}

TEST(MyButton, LatchRules) {
  ky::TMyButton b;
  b.resize(20, 10);
  b.SetDown(true);
  EXPECT_FALSE(b.Down()) << "Down without AllowDown has no effect";
  b.SetAllowDown(true);
  int clicks = 0;
  b.OnClick = [&] { ++clicks; };
  for (int i = 0; i < 2; ++i) {
    Enter(b);
    Press(b);
    Release(b);
    EXPECT_EQ(b.Down(), i == 0);
  }
  EXPECT_EQ(clicks, 2);
  b.SetDown(true);
  EXPECT_TRUE(b.Down());
  b.SetAllowDown(false);
  EXPECT_FALSE(b.Down()) << "switching AllowDown off releases the button";
  // Press, move out, release outside: no click, the look is up again, and the latch still toggles.
  b.SetAllowDown(true);
  b.ButtonUp = Solid(0xFFFF0000);
  b.ButtonOver = Solid(0xFF00FF00);
  b.ButtonDown = Solid(0xFF0000FF);
  Enter(b);
  Press(b);
  MoveHeld(b, {100, 100});
  Release(b, {100, 100});
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(b.Down());
  b.SetDown(false);
  EXPECT_EQ(Centre(b), 0xFF0000u);
}

TEST(MyButton, AutoSizeTakesTheUpPictureSizeAtItsFirstPaint) {
  ky::TMyButton b;
  b.resize(33, 7);
  b.ButtonUp = Solid(0xFFFF0000, 120, 40);
  kytest::Painted(b);
  EXPECT_EQ(b.size(), QSize(120, 40));
  ky::TMyButton fixed;
  fixed.AutoSize = false;
  fixed.resize(33, 7);
  fixed.ButtonUp = Solid(0xFFFF0000, 120, 40);
  kytest::Painted(fixed);
  EXPECT_EQ(fixed.size(), QSize(33, 7));
}

TEST(MyButton, AutoRepeatFiresAtThePressThen500MsLaterThenEvery50Ms) {
  TFakeClock clock;
  ky::TMyButton b;
  b.resize(20, 10);
  b.SetTimerFactory(clock.Factory());
  std::vector<std::pair<int, ky::TMyButton::TPressSource>> fired;
  b.OnMousePressed = [&](ky::TMyButton::TPressSource s) { fired.push_back({clock.Now, s}); };
  Enter(b);
  Press(b);
  clock.AdvanceTo(700);
  MoveHeld(b, {100, 100});  // away at 700: the repeat pauses
  clock.AdvanceTo(800);
  MoveHeld(b, {5, 5});  // back at 800: it resumes at the interval it had
  clock.AdvanceTo(910);
  Release(b);
  clock.AdvanceTo(2000);
  using S = ky::TMyButton::TPressSource;
  const std::vector<std::pair<int, S>> expected = {{0, S::Button},   {500, S::Timer}, {550, S::Timer}, {600, S::Timer},
                                                   {650, S::Timer},  {700, S::Timer}, {850, S::Timer}, {900, S::Timer}};
  EXPECT_EQ(fired, expected);
  // A second press starts again with the long first wait.
  Press(b);
  clock.AdvanceTo(2499);
  EXPECT_EQ(fired.size(), expected.size() + 1);
  clock.AdvanceTo(2500);
  EXPECT_EQ(fired.back(), std::make_pair(2500, S::Timer));
  Release(b);
}

TEST(MyButton, TheCaptionsAcceleratorClicksTheButtonFromItsWindow) {
  QWidget window;
  auto* b = new ky::TMyButton;  // owned by the window
  b->setParent(&window);
  b->resize(20, 10);
  b->Caption = "&Next";
  int clicks = 0;
  b->OnClick = [&] { ++clicks; };
  window.show();
  QKeyEvent other(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
  QApplication::sendEvent(&window, &other);
  EXPECT_EQ(clicks, 0);
  QKeyEvent n(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, "n");
  QApplication::sendEvent(&window, &n);
  EXPECT_EQ(clicks, 1);
  b->setEnabled(false);
  QApplication::sendEvent(&window, &n);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
