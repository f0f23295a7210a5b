#pragma once
// Black full-screen windows over every monitor but the show's own, so that the whole desktop is
// covered while the show plays. They keep no input: every mouse move, click and key press on
// them goes to the show's window, which ends the show by its usual rules.
#include <QWidget>
#include <memory>
#include <vector>

class QScreen;

namespace ky {

class TCoverWindow final : public QWidget {
 public:
  TCoverWindow(QScreen* screen, QWidget* inputTarget);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;

 private:
  QWidget* FInputTarget;
};

class TCoverWindows {
 public:
  // One window for each screen other than showScreen, shown at once.
  TCoverWindows(const QScreen* showScreen, QWidget* inputTarget);
  ~TCoverWindows();
  TCoverWindows(const TCoverWindows&) = delete;
  TCoverWindows& operator=(const TCoverWindows&) = delete;

  void SetCursorVisible(bool visible);
  size_t Count() const { return FWindows.size(); }

 private:
  std::vector<std::unique_ptr<TCoverWindow>> FWindows;
};

}  // namespace ky
