#pragma once
// The show's window: borderless, full screen, black, without a cursor. Plain frames are shown
// 1:1 from the show's canvas; in full-screen presentation an OpenGL surface takes the
// working-size frame and stretches it over the display, or, where OpenGL is drawn in software
// or cannot keep up, the frame is stretched on the CPU into the window itself.
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <vector>

#include "graphics/uScreenStretch.h"
#include "saver/FKyScrSvr.h"
#include "saver/uFramePresent.h"
#include "saver/uShowHost.h"

class QOpenGLWidget;
class QPainter;
class QSocketNotifier;

namespace ky {

class TKyCProject;
class TCoverWindows;

class TShowWindow final : public QWidget, public TShowHost {
 public:
  // ignoreInput: a daemon's hack, which its owner ends, not the user.
  TShowWindow(TKyCProject& project, const TTickSource& ticks, bool ignoreInput, QWidget* parent = nullptr);
  ~TShowWindow() override;

  // Where the show's sound plays (it must outlive the window); before RunModal.
  void SetAudioDevice(TAudioDevice& device) { FShow.SetAudioDevice(device); }
  // Shows the window full screen and runs the show until it ends.
  void RunModal();
  // What the show is at.
  const TKyfmScrSvr& Show() const { return FShow; }

  int ScreenWidth() const override { return FScreenW; }
  int ScreenHeight() const override { return FScreenH; }
  bool InitFullScreen() override;
  void PresentCanvas(const TBitmap32& canvas) override;
  bool PresentFrame(int x, int y, const TBitmap32& frame, const std::vector<TRect>* changed) override;
  void PresentBack(const TBitmap32& back, const std::vector<TRect>* changed) override;
  void ProcessMessages() override;
  void Wait(uint32_t ms) override;
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void SetCursorVisible(bool visible) override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void closeEvent(QCloseEvent*) override;

 private:
  void Step();
  void CheckClose();
  // The rows of area (the whole width) from the back surface stretched over the window.
  void PaintStretched(QPainter& p, const QRegion& region);
  void RepaintDevice(const std::vector<TRect>& rects);
  QRect LogicalRect(const QRect& device) const;
  // Every ending only asks: the transition lets events run, and the show it is drawing must
  // outlive it. The teardown runs once control is back in the frame loop.
  void RequestEnd();
  void EndShow();

  TKyfmScrSvr FShow;
  bool FIgnoreInput;
  int FScreenW = 0, FScreenH = 0;
  QImage FFrame;  // wraps the canvas or the frame the show drew; no copy
  QRect FFrameRect;  // where FFrame is shown, in device pixels; black around it
  QTimer FTimer;
  QOpenGLWidget* FGl = nullptr;  // owned by the widget tree
  // The full-screen frame stretched on the CPU: the show's back surface, and where the stretch
  // goes when it cannot write into the window's own picture.
  bool FCpuStretch = false;
  const TBitmap32* FBackFrame = nullptr;
  TFrameShadow FBackShadow;  // what the window shows, at working size
  TScreenStretch FStretch;
  TBitmap32 FStretched;
  // The GPU path is judged after this many frames; slower than this on average, it hands over.
  static constexpr int kGlJudgedFrames = 30;
  // What changed in a frame is painted as at most this many rectangles.
  static constexpr int kMaxPaintRects = 1024;
  static constexpr double kGlSlowPaintMs = 12.0;
  std::unique_ptr<QSocketNotifier> FTermination;
  std::unique_ptr<TCoverWindows> FCovers;  // the other monitors, black, while the show runs
  bool FEndRequested = false;
  bool FEnded = false;
  QEventLoop* FLoop = nullptr;
  // Frame timing for measurements, written at the end when KYSAVER_STATS names a file.
  std::vector<int64_t> FStepMicros, FStartMicros;
  int64_t FFirstFrameWallMs = 0, FWindowShownWallMs = 0, FSetUpWallMs = 0;
  std::chrono::steady_clock::time_point FLastPresent;
  int64_t FPresentedFrames = 0, FLongestFrameMicros = 0, FLongestChangeMicros = 0;
  bool FLastPresentInTransition = false;
  void NotePresent();
  void WriteStats() const;
};

// true when message boxes can reach a user (a real display, not Qt's offscreen or minimal
// platform); otherwise messages go to stderr.
bool CanShowMessageBoxes();
void ShowMessage(bool error, const std::string& text);

}  // namespace ky
