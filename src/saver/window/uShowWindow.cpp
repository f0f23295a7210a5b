#include "uShowWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLTextureBlitter>
#include <QOpenGLWidget>
#include <QPaintEngine>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "app/uCommonUtil.h"
#include "platform/uLibraries.h"
#include "platform/uSignals.h"
#include "saver/uFramePresent.h"
#include "platform/uText.h"
#include "saver/window/uCoverWindows.h"

namespace ky {

namespace {

// The back surface's picture, stretched over the whole display by the GPU. Only the rows that
// changed since the last frame are uploaded.
class TGlPresenter final : public QOpenGLWidget, protected QOpenGLFunctions {
 public:
  explicit TGlPresenter(QWidget* parent) : QOpenGLWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  ~TGlPresenter() override {
    if (!FReady) return;
    makeCurrent();
    FBlitter.destroy();
    glDeleteTextures(1, &FTexture);
    doneCurrent();
  }
  void SetFrame(const TBitmap32& frame) {
    FFrame = &frame;
    update();
  }
  // The mean time of the frames' uploads and draws so far, and how many there were.
  double MeanPaintMs() const { return FPaints > 0 ? FPaintMs / FPaints : 0; }
  int Paints() const { return FPaints; }

 protected:
  void initializeGL() override {
    initializeOpenGLFunctions();
    FBlitter.create();
    glGenTextures(1, &FTexture);
    glBindTexture(GL_TEXTURE_2D, FTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    FReady = true;
  }
  void paintGL() override {
    const auto t0 = std::chrono::steady_clock::now();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!FFrame || FFrame->Empty()) return;
    const int w = FFrame->Width(), h = FFrame->Height();
    glBindTexture(GL_TEXTURE_2D, FTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const bool resized = w != FTextureW || h != FTextureH;
    const TRowSpan span = FShadow.Update(*FFrame);
    // The fourth byte is not alpha for the screen: the texture keeps colour only.
    if (resized) {
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, FShadow.Frame().Bits());
      FTextureW = w;
      FTextureH = h;
    } else if (!span.Empty()) {
      glTexSubImage2D(GL_TEXTURE_2D, 0, 0, span.First, w, span.Last - span.First + 1, GL_BGRA, GL_UNSIGNED_BYTE,
                      FShadow.Frame().ScanLine(span.First));
    }
    FBlitter.bind();
    const QRect all(0, 0, width(), height());
    FBlitter.blit(FTexture, QOpenGLTextureBlitter::targetTransform(QRectF(all), all), QOpenGLTextureBlitter::OriginTopLeft);
    FBlitter.release();
    FPaintMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    ++FPaints;
  }

 private:
  const TBitmap32* FFrame = nullptr;
  TFrameShadow FShadow;
  QOpenGLTextureBlitter FBlitter;
  GLuint FTexture = 0;
  int FTextureW = 0, FTextureH = 0;
  bool FReady = false;
  double FPaintMs = 0;
  int FPaints = 0;
};

// The renderer of the contexts this display gives, or an empty text when none can be made.
bool ProbeRenderer(std::string& renderer, bool& gles) {
  QOpenGLContext probe;
  if (!probe.create()) return false;
  gles = probe.isOpenGLES();
  QOffscreenSurface surface;
  surface.setFormat(probe.format());
  surface.create();
  if (probe.makeCurrent(&surface)) {
    const auto* text = reinterpret_cast<const char*>(probe.functions()->glGetString(GL_RENDERER));
    renderer = text ? text : "";
    probe.doneCurrent();
  }
  return true;
}

QImage Wrap(const TBitmap32& b) {
  // The fourth byte of the show's pixels is not alpha for the screen: RGB32 ignores it, and
  // Qt draws RGB32 without converting.
  return QImage(reinterpret_cast<const uchar*>(b.Bits()), b.Width(), b.Height(), b.Width() * 4, QImage::Format_RGB32);
}

// The plain picture of the screen the painter draws into (Qt's raster backing store), when the
// area (widget pixels) can be written there directly, with the area's origin in it; else null.
QImage* DirectImage(QPainter& p, const QRect& area, QPoint& offset) {
  QPaintEngine* engine = p.paintEngine();
  QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
  const QTransform t = p.deviceTransform();
  if (!device || device->devType() != QInternal::Image || t.type() > QTransform::TxTranslate) return nullptr;
  auto* image = static_cast<QImage*>(device);
  const int ox = static_cast<int>(t.dx()) + area.x(), oy = static_cast<int>(t.dy()) + area.y();
  const QImage::Format f = image->format();
  if ((f != QImage::Format_RGB32 && f != QImage::Format_ARGB32_Premultiplied && f != QImage::Format_ARGB32) ||
      !image->isDetached() || image->devicePixelRatio() != 1.0 || ox < 0 || oy < 0 ||
      ox + area.width() > image->width() || oy + area.height() > image->height() || image->bytesPerLine() % 4 != 0)
    return nullptr;
  offset = QPoint(ox, oy);
  return image;
}

// One row of the frame into a picture that keeps alpha: every pixel opaque.
void CopyOpaqueRow(uint32_t* dst, const uint32_t* src, int n) {
  for (int i = 0; i < n; ++i) dst[i] = src[i] | 0xFF000000u;
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
  std::string renderer;
  bool gles = false;
  if (!ProbeRenderer(renderer, gles)) return false;
#if defined(__SANITIZE_ADDRESS__)
  // Under the leak checker: Mesa unloads its driver when the display closes, before the check at
  // exit, and what the driver keeps for the life of the process would then be reported as lost
  // with no library left to name it by.
  KeepLibrariesLoaded("_dri.so");
#endif
  // A software rasterizer stretches slower than we do, and OpenGL ES may lack the BGRA upload:
  // the working-size frame is then stretched on the CPU into the plain window.
  if (gles || ChooseStretchPath(renderer) == TStretchPath::Cpu) {
    FCpuStretch = true;
    return true;
  }
  FGl = new TGlPresenter(this);
  FGl->setGeometry(rect());
  FGl->show();
  // Qt rebuilds the native window of a shown window that gains an OpenGL child; a modal one
  // (the preview show over a configuration window) then stays blocked by the window beneath
  // until it is shown again.
  if (isVisible() && windowModality() != Qt::NonModal) {
    hide();
    showFullScreen();
  }
  return true;
}

// Device pixels (the frame's) to the widget's logical coordinates, covering every pixel touched.
QRect TShowWindow::LogicalRect(const QRect& device) const {
  const qreal scale = devicePixelRatioF();
  if (scale == 1.0) return device;
  return QRectF(device.x() / scale, device.y() / scale, device.width() / scale, device.height() / scale).toAlignedRect();
}

void TShowWindow::PresentCanvas(const TBitmap32& canvas) {
  NotePresent();
  FFrame = Wrap(canvas);
  FFrameRect = QRect(0, 0, canvas.Width(), canvas.Height());
  repaint();
}

// Only the frame's own rectangle is painted again while it keeps its place; the black around it
// is painted when the place changes.
bool TShowWindow::PresentFrame(int x, int y, const TBitmap32& frame, const std::vector<TRect>* changed) {
  NotePresent();
  const bool same = !FFrame.isNull() && FFrame.constBits() == reinterpret_cast<const uchar*>(frame.Bits());
  FFrame = Wrap(frame);
  const QRect r(x, y, frame.Width(), frame.Height());
  if (r != FFrameRect) {
    FFrameRect = r;
    repaint();
  } else if (same && changed) {
    // The same frame again: only what changed (nothing at all for a still picture), as a few
    // bands of rectangles so that scattered drops and flakes do not repaint the rows between.
    std::vector<TRect> cover = BandedCover(*changed, TRect{0, 0, frame.Width(), frame.Height()}, kMaxPaintRects);
    for (TRect& c : cover) c = TRect{x + c.Left, y + c.Top, x + c.Right, y + c.Bottom};
    RepaintDevice(cover);
  } else {
    repaint(LogicalRect(r).intersected(rect()));
  }
  return true;
}

void TShowWindow::PresentBack(const TBitmap32& back, const std::vector<TRect>* changed) {
  NotePresent();
  auto* gl = static_cast<TGlPresenter*>(FGl);
  // A context that cannot keep up (a slow GPU, a remote display) hands over to the CPU stretch,
  // judged on the mean of its first frames; a path forced by KYSAVER_FULLSCREEN stays.
  if (gl && gl->Paints() >= kGlJudgedFrames && gl->MeanPaintMs() > kGlSlowPaintMs && std::getenv("KYSAVER_FULLSCREEN") == nullptr) {
    gl->hide();
    gl->deleteLater();
    FGl = nullptr;
    gl = nullptr;
    FCpuStretch = true;
  }
  if (gl) {
    gl->SetFrame(back);
    return;
  }
  if (!FCpuStretch) return;
  const qreal scale = devicePixelRatioF();
  const int sw = qRound(width() * scale), sh = qRound(height() * scale);
  if (changed && FBackFrame == &back) {
    // The show says where this frame differs from the last one: only the screen areas that read
    // those areas are stretched again. The shadow copy is not kept up by such frames.
    FBackShadow.Invalidate();
    std::vector<TRect> screen;
    screen.reserve(changed->size());
    for (const TRect& given : *changed) {
      const TRect c = IntersectRect(given, TRect{0, 0, back.Width(), back.Height()});
      if (c.IsEmpty()) continue;
      const TRect r = FStretch.AreaReading(c, back.Width(), back.Height(), sw, sh);
      // Whole groups of eight columns: the stretch's vector kernels take eight pixels a step and
      // are slow on the odd ones left over.
      if (!r.IsEmpty()) screen.push_back(TRect{r.Left & ~7, r.Top, std::min(sw, (r.Right + 7) & ~7), r.Bottom});
    }
    // Banded on the screen, where the stretched areas overlap and lie.
    RepaintDevice(BandedCover(screen, TRect{0, 0, sw, sh}, kMaxPaintRects));
    return;
  }
  FBackFrame = &back;
  // The window keeps what it showed: only the screen rows that read changed rows are drawn again.
  const TRowSpan rows = FBackShadow.Update(back);
  if (rows.Empty()) return;
  int first = 0, end = 0;
  TScreenStretch::RowsReading(rows.First, rows.Last, back.Height(), sh, first, end);
  if (end > first) repaint(LogicalRect(QRect(0, first, sw, end - first)));
}

// Repaints those rectangles of device pixels, laid out as BandedCover lays them out.
void TShowWindow::RepaintDevice(const std::vector<TRect>& rects) {
  if (rects.empty()) return;
  if (devicePixelRatioF() != 1.0) {
    QRect bound;
    for (const TRect& c : rects) bound |= QRect(c.Left, c.Top, c.Width(), c.Height());
    repaint(LogicalRect(bound).intersected(rect()));
    return;
  }
  std::vector<QRect> list;
  list.reserve(rects.size());
  for (const TRect& c : rects) list.emplace_back(c.Left, c.Top, c.Width(), c.Height());
  QRegion region;
  region.setRects(list.data(), static_cast<int>(list.size()));
  repaint(region.intersected(rect()));
}

// The back surface stretched over the window, in the region's rectangles. Where the painter
// draws into a plain picture of the screen (Qt's raster backing store), the stretch writes there
// directly; otherwise it goes through a picture of our own.
void TShowWindow::PaintStretched(QPainter& p, const QRegion& region) {
  // Stretched to the device pixels of the window: a scaled screen gets its full resolution.
  const qreal scale = devicePixelRatioF();
  const int w = qRound(width() * scale), h = qRound(height() * scale);
  std::vector<QRect> areas;
  if (scale == 1.0) {
    for (const QRect& r : region) areas.push_back(r.intersected(QRect(0, 0, w, h)));
  } else {
    const QRect b = region.boundingRect();
    const int first = std::max(0, static_cast<int>(std::floor(b.top() * scale)));
    const int end = std::min(h, static_cast<int>(std::ceil((b.bottom() + 1) * scale)));
    areas.emplace_back(0, first, w, end - first);
  }
  QPoint offset;
  if (QImage* image = DirectImage(p, QRect(0, 0, w, h), offset)) {
    auto* origin = reinterpret_cast<uint32_t*>(image->bits() + static_cast<ptrdiff_t>(offset.y()) * image->bytesPerLine()) + offset.x();
    for (const QRect& a : areas)
      FStretch.DrawRect(*FBackFrame, origin, w, h, static_cast<int>(image->bytesPerLine() / 4), a.left(), a.top(),
                        a.right() + 1, a.bottom() + 1);
    return;
  }
  FStretched.SetSize(w, h);
  for (const QRect& a : areas) {
    if (a.isEmpty()) continue;
    FStretch.DrawRect(*FBackFrame, FStretched.Bits(), w, h, w, a.left(), a.top(), a.right() + 1, a.bottom() + 1);
    p.drawImage(QRectF(a.x() / scale, a.y() / scale, a.width() / scale, a.height() / scale), Wrap(FStretched), QRectF(a));
  }
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

void TShowWindow::Wait(uint32_t ms) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

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

void TShowWindow::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  if (FCpuStretch && FBackFrame && !FBackFrame->Empty()) {
    PaintStretched(p, e->region());
  } else if (FFrame.isNull()) {
    p.fillRect(rect(), Qt::black);
  } else {
    // The frame is at device size: on a scaled screen it covers the logical size it maps to.
    const QRect target = LogicalRect(FFrameRect);
    for (const QRect& r : QRegion(rect()).subtracted(QRegion(target))) p.fillRect(r, Qt::black);
    const qreal scale = devicePixelRatioF();
    QPoint offset;
    QImage* image = scale == 1.0 ? DirectImage(p, FFrameRect, offset) : nullptr;
    if (image) {
      // Row copies straight into the screen's picture, rectangle by rectangle: the painter would
      // blend a region of many rectangles span by span, and hands large copies to a thread pool
      // whose waking costs more than the copy.
      const QPoint shift = offset - FFrameRect.topLeft();
      for (const QRect& r : e->region()) {
        const QRect part = r.intersected(FFrameRect);
        if (part.isEmpty()) continue;
        const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(part.width());
        const qsizetype to = image->bytesPerLine(), from = FFrame.bytesPerLine();
        uchar* dst = image->bits() + (part.top() + shift.y()) * to + sizeof(uint32_t) * (part.x() + shift.x());
        const uchar* src = FFrame.constBits() + (part.top() - FFrameRect.y()) * from + sizeof(uint32_t) * (part.x() - FFrameRect.x());
        // The frame's fourth byte is not alpha: it is copied as it is where the screen's picture
        // ignores it, and made opaque where the picture keeps alpha (Qt's backing store usually
        // does, even for an opaque window).
        if (image->format() == QImage::Format_RGB32) {
          for (int n = part.height(); n > 0; --n, dst += to, src += from) std::memcpy(dst, src, bytes);
        } else {
          for (int n = part.height(); n > 0; --n, dst += to, src += from)
            CopyOpaqueRow(reinterpret_cast<uint32_t*>(dst), reinterpret_cast<const uint32_t*>(src), part.width());
        }
      }
      return;
    }
    p.drawImage(QRectF(FFrameRect.x() / scale, FFrameRect.y() / scale, FFrameRect.width() / scale, FFrameRect.height() / scale),
                FFrame);
  }
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
  const char* shownBy = !FShow.UseDirectX() ? "plain" : (FCpuStretch ? "cpu" : "gpu");
  out << "frames " << FStepMicros.size() << "\n"
      << "present_path " << shownBy << "\n"
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
  // The frame wraps the show's surfaces, which go now.
  FFrame = QImage();
  FBackFrame = nullptr;
  FShow.FormClose();
  FCovers.reset();
  hide();
  if (FLoop) FLoop->quit();
}

void TShowWindow::RunModal() {
  // The user's show covers every monitor; a daemon's hack gets a window per monitor from it.
  if (!FIgnoreInput) FCovers = std::make_unique<TCoverWindows>(QGuiApplication::primaryScreen(), this);
  // Run from a configuration window (itself modal), the show must be modal too to take the
  // input; on its own it stays an ordinary window, so that its cover windows take input as well.
  if (QApplication::activeModalWidget()) setWindowModality(Qt::ApplicationModal);
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
