#include "uShowWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/uCommonUtil.h"
#include "platform/uSignals.h"
#include "platform/uText.h"
#include "saver/window/uCoverWindows.h"

namespace ky {

namespace {

// The back surface's picture, stretched over the whole display by the GPU.
class TGlPresenter final : public QOpenGLWidget {
 public:
  explicit TGlPresenter(QWidget* parent) : QOpenGLWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  void SetFrame(const QImage& image) {
    FImage = image;
    update();
  }

 protected:
  void paintGL() override {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!FImage.isNull()) p.drawImage(rect(), FImage);
  }

 private:
  QImage FImage;
};

QImage Wrap(const TBitmap32& b) {
  // The fourth byte of the show's pixels is not alpha for the screen: RGB32 ignores it, and
  // Qt draws RGB32 without converting.
  return QImage(reinterpret_cast<const uchar*>(b.Bits()), b.Width(), b.Height(), b.Width() * 4, QImage::Format_RGB32);
}

int64_t WallMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

bool CanShowMessageBoxes() {
  const QString p = QGuiApplication::platformName();
  return QApplication::instance() && p != "offscreen" && p != "minimal";
}

void ShowMessage(bool error, const std::string& text) {
  if (!CanShowMessageBoxes()) {
    std::fprintf(stderr, "kysaver: %s\n", UnixLineBreaks(text).c_str());
    return;
  }
  // A termination signal ends the mode, and with it a box nobody has answered.
  if (TerminationRequested()) return;
  QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information, " ",
                  QString::fromUtf8(UnixLineBreaks(text).c_str()), QMessageBox::Ok);
  std::unique_ptr<QSocketNotifier> termination;
  if (TerminationFd() >= 0) {
    termination = std::make_unique<QSocketNotifier>(TerminationFd(), QSocketNotifier::Read);
    QObject::connect(termination.get(), &QSocketNotifier::activated, &box, &QDialog::reject);
  }
  box.exec();
}

TShowWindow::TShowWindow(TKyCProject& project, const TTickSource& ticks, bool ignoreInput, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), FShow(project, *this, ticks), FIgnoreInput(ignoreInput) {
  FShow.SetCommonFolder(GetCommonFolder(LongFileName("/proc/self/exe")));
  setObjectName("KyfmScrSvr");
  setWindowTitle("fmKyScrSvr");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect g = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  // The show draws at the screen's device size, one frame pixel to one device pixel, however
  // much the desktop scales its widgets.
  const qreal scale = screen ? screen->devicePixelRatio() : 1.0;
  FScreenW = qRound(g.width() * scale);
  FScreenH = qRound(g.height() * scale);
  setGeometry(g);
  FTimer.setSingleShot(true);
  QObject::connect(&FTimer, &QTimer::timeout, [this] { Step(); });
  if (TerminationFd() >= 0) {
    FTermination = std::make_unique<QSocketNotifier>(TerminationFd(), QSocketNotifier::Read);
    QObject::connect(FTermination.get(), &QSocketNotifier::activated, [this] { RequestEnd(); });
  }
}

TShowWindow::~TShowWindow() = default;

bool TShowWindow::InitFullScreen() {
  // A context that cannot be made means no full-screen presentation: the plain path serves.
  QOpenGLContext probe;
  if (!probe.create()) return false;
  FGl = new TGlPresenter(this);
  FGl->setGeometry(rect());
  FGl->show();
  return true;
}

void TShowWindow::PresentCanvas(const TBitmap32& canvas) {
  NotePresent();
  FFrame = Wrap(canvas);
  repaint();
}

void TShowWindow::PresentBack(const TBitmap32& back) {
  NotePresent();
  if (FGl) static_cast<TGlPresenter*>(FGl)->SetFrame(Wrap(back));
}

// The longest time between two pictures put on the screen is what a viewer sees as a stall.
// The gap that ends with a transition's first frame also holds the loading of the next picture,
// so it is kept apart from the gaps of the running show and of the transition frames.
void TShowWindow::NotePresent() {
  const auto now = std::chrono::steady_clock::now();
  const bool inTransition = FShow.InTransition();
  if (FPresentedFrames > 0) {
    const int64_t gap = std::chrono::duration_cast<std::chrono::microseconds>(now - FLastPresent).count();
    int64_t& longest = inTransition && !FLastPresentInTransition ? FLongestChangeMicros : FLongestFrameMicros;
    longest = std::max(longest, gap);
  }
  FLastPresentInTransition = inTransition;
  FLastPresent = now;
  ++FPresentedFrames;
}

void TShowWindow::ProcessMessages() { QCoreApplication::processEvents(); }

void TShowWindow::ShowInformation(const std::string& text) { ShowMessage(false, text); }
// A daemon's hack has nobody to answer a box: its errors go to stderr.
void TShowWindow::ShowError(const std::string& text) {
  if (FIgnoreInput) std::fprintf(stderr, "kysaver: %s\n", UnixLineBreaks(text).c_str());
  else ShowMessage(true, text);
}

void TShowWindow::SetCursorVisible(bool visible) {
  if (visible) unsetCursor();
  else setCursor(Qt::BlankCursor);
  if (FCovers) FCovers->SetCursorVisible(visible);
}

void TShowWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (FFrame.isNull()) {
    p.fillRect(rect(), Qt::black);
    return;
  }
  // The frame is at device size: on a scaled screen it covers the logical size it maps to.
  const qreal scale = devicePixelRatioF();
  p.drawImage(QRectF(0, 0, FFrame.width() / scale, FFrame.height() / scale), FFrame);
}

void TShowWindow::mouseMoveEvent(QMouseEvent* e) {
  if (FIgnoreInput) return;
  // Global device pixels: a move from one monitor's window onto another's is counted as the
  // mouse moved, and a scaled screen does not shrink the jitter allowance.
  const QPoint pos = (e->globalPosition() * devicePixelRatioF()).toPoint();
  FShow.FormMouseMove(pos.x(), pos.y());
  CheckClose();
}

void TShowWindow::mousePressEvent(QMouseEvent*) {
  if (FIgnoreInput) return;
  FShow.FormMouseDown();
  CheckClose();
}

void TShowWindow::keyPressEvent(QKeyEvent* e) {
  if (FIgnoreInput) return;
  if (e->key() == Qt::Key_F1) FShow.FormKeyDown(TShowKey::F1);
  else if (!e->text().isEmpty()) FShow.FormKeyPress(e->text().at(0).unicode());
  else FShow.FormKeyDown(TShowKey::Other);
  CheckClose();
}

// The window manager's close: the window goes when the show is torn down.
void TShowWindow::closeEvent(QCloseEvent* e) {
  RequestEnd();
  e->ignore();
}

void TShowWindow::Step() {
  if (FEndRequested) return;
  const auto t0 = std::chrono::steady_clock::now();
  const uint32_t wait = FShow.FrameStep();
  const auto t1 = std::chrono::steady_clock::now();
  if (FStepMicros.size() < 100000) {
    FStartMicros.push_back(std::chrono::duration_cast<std::chrono::microseconds>(t0.time_since_epoch()).count());
    FStepMicros.push_back(std::chrono::duration_cast<std::chrono::microseconds>(t1 - t0).count());
    if (FFirstFrameWallMs == 0) FFirstFrameWallMs = WallMs();
  }
  CheckClose();
  if (!FEndRequested) FTimer.start(static_cast<int>(wait));
}

// Input only asks to close; the close takes effect once the current step is done.
void TShowWindow::CheckClose() {
  if (FEndRequested) return;
  if (TerminationRequested() || (FShow.CloseRequested() && FShow.FormCloseQuery())) RequestEnd();
}

void TShowWindow::RequestEnd() {
  if (FEndRequested) return;
  FEndRequested = true;
  FTimer.stop();
  FShow.RequestClose();
  // Inside a step the loop ends when the step has returned.
  if (FLoop) FLoop->quit();
}

void TShowWindow::WriteStats() const {
  const char* path = std::getenv("KYSAVER_STATS");
  if (!path || !*path || FStepMicros.empty()) return;
  auto percentile = [](std::vector<int64_t> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
  };
  std::vector<int64_t> intervals;
  for (size_t i = 1; i < FStartMicros.size(); ++i) intervals.push_back(FStartMicros[i] - FStartMicros[i - 1]);
  std::ofstream out(path);
  out << "frames " << FStepMicros.size() << "\n"
      << "window_shown_wall_ms " << FWindowShownWallMs << "\n"
      << "set_up_wall_ms " << FSetUpWallMs << "\n"
      << "first_frame_wall_ms " << FFirstFrameWallMs << "\n"
      << "first_step_us " << FStepMicros.front() << "\n"
      << "step_us_p50 " << percentile(FStepMicros, 0.50) << "\n"
      << "step_us_p95 " << percentile(FStepMicros, 0.95) << "\n"
      << "step_us_p99 " << percentile(FStepMicros, 0.99) << "\n"
      << "presented_frames " << FPresentedFrames << "\n"
      << "frame_us_max " << FLongestFrameMicros << "\n"
      << "change_us_max " << FLongestChangeMicros << "\n";
  if (!intervals.empty())
    out << "interval_us_p50 " << percentile(intervals, 0.50) << "\n"
        << "interval_us_p95 " << percentile(intervals, 0.95) << "\n"
        << "interval_us_p99 " << percentile(intervals, 0.99) << "\n";
}

void TShowWindow::EndShow() {
  if (FEnded) return;
  FEnded = true;
  WriteStats();
  FTimer.stop();
  FShow.FormClose();
  FCovers.reset();
  hide();
  if (FLoop) FLoop->quit();
}

void TShowWindow::RunModal() {
  // The user's show covers every monitor; a daemon's hack gets a window per monitor from it.
  if (!FIgnoreInput) FCovers = std::make_unique<TCoverWindows>(QGuiApplication::primaryScreen(), this);
  showFullScreen();
  if (CanShowMessageBoxes()) {  // a real display: take the keyboard
    raise();
    activateWindow();
  }
  QCoreApplication::processEvents();
  FWindowShownWallMs = WallMs();
  FShow.FormShow();
  FSetUpWallMs = WallMs();
  // The first frame goes out at once; the timer paces the ones after it.
  if (FShow.Running() && !TerminationRequested()) Step();
  // Without pictures the window stays black until the user ends it; closing is always allowed.
  if (!FEndRequested && !TerminationRequested()) {
    QEventLoop loop;
    FLoop = &loop;
    loop.exec();
    FLoop = nullptr;
  }
  EndShow();
}

}  // namespace ky
