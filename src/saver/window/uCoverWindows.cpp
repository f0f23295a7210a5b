#include "saver/window/uCoverWindows.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace ky {

TCoverWindow::TCoverWindow(QScreen* screen, QWidget* inputTarget)
    : QWidget(nullptr, Qt::FramelessWindowHint), FInputTarget(inputTarget) {
  setObjectName("KyCoverWindow");
  setWindowTitle("fmKyScrSvr");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  // The keyboard stays with the show's window.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);
  setScreen(screen);
  setGeometry(screen->geometry());
}

void TCoverWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
}

// The events keep their global positions, which the show's window reads.
void TCoverWindow::mouseMoveEvent(QMouseEvent* e) { QCoreApplication::sendEvent(FInputTarget, e); }
void TCoverWindow::mousePressEvent(QMouseEvent* e) { QCoreApplication::sendEvent(FInputTarget, e); }
void TCoverWindow::keyPressEvent(QKeyEvent* e) { QCoreApplication::sendEvent(FInputTarget, e); }
void TCoverWindow::keyReleaseEvent(QKeyEvent* e) { QCoreApplication::sendEvent(FInputTarget, e); }

TCoverWindows::TCoverWindows(const QScreen* showScreen, QWidget* inputTarget) {
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen == showScreen) continue;
    auto w = std::make_unique<TCoverWindow>(screen, inputTarget);
    w->showFullScreen();
    FWindows.push_back(std::move(w));
  }
}

TCoverWindows::~TCoverWindows() = default;

void TCoverWindows::SetCursorVisible(bool visible) {
  for (const auto& w : FWindows) {
    if (visible) w->unsetCursor();
    else w->setCursor(Qt::BlankCursor);
  }
}

}  // namespace ky
