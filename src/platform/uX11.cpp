#include "uX11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "uError.h"
#include "uText.h"
#include "uTicks.h"
#include "uX11Frames.h"

namespace ky {

namespace {

// Xlib reports protocol errors through a process-wide handler; a foreign window can vanish at
// any moment, so a BadWindow must not end the process. The flag is read right after XSync.
thread_local bool gXError = false;
int RecordError(Display*, XErrorEvent*) {
  gXError = true;
  return 0;
}

}  // namespace

unsigned long ParseWindowId(const std::string& text) {
  const std::string t(Trim(text));
  const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
  const std::string digits = hex ? t.substr(2) : t;
  if (digits.empty() || digits.size() > (hex ? 8u : 10u)) throw TKyError("\"" + text + "\" is not a window id");
  unsigned long v = 0;
  for (const char c : digits) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else throw TKyError("\"" + text + "\" is not a window id");
    v = v * (hex ? 16 : 10) + static_cast<unsigned long>(d);
  }
  if (v == 0 || v > 0xFFFFFFFFul) throw TKyError("\"" + text + "\" is not a window id");
  return v;
}

bool DisplayAvailable() {
  const char* d = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  return (d && *d) || (w && *w);
}

struct TX11Window::TImpl {
  Display* Dpy = nullptr;
  Window Win = 0;
  XErrorHandler Old = nullptr;
  std::unique_ptr<TX11FramePutter> Frames;  // made with the first frame
  ~TImpl() {
    Frames.reset();
    if (Dpy) {
      XSync(Dpy, False);
      XCloseDisplay(Dpy);
    }
    if (Old) XSetErrorHandler(Old);
  }
};

TX11Window::TX11Window(unsigned long window) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Dpy = XOpenDisplay(nullptr);
  if (!FImpl->Dpy) throw TKyError("no display to show the saver on");
  FImpl->Old = XSetErrorHandler(&RecordError);
  FImpl->Win = window;
  gXError = false;
  XWindowAttributes a{};
  if (!XGetWindowAttributes(FImpl->Dpy, FImpl->Win, &a) || gXError) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%lx", window);
    throw TKyError(std::string("window ") + buf + " does not exist");
  }
  FWidth = a.width;
  FHeight = a.height;
}

TX11Window::~TX11Window() = default;

int TX11Window::MapState() {
  gXError = false;
  XWindowAttributes a{};
  if (!XGetWindowAttributes(FImpl->Dpy, FImpl->Win, &a) || gXError) return -1;
  FWidth = a.width;
  FHeight = a.height;
  return a.map_state == IsViewable ? 1 : 0;
}

void TX11Window::Sleep100() { SleepMs(100); }

namespace {

// A 32-bit ZPixmap over the caller's pixels (not owned: data is detached before destroying).
XImage* WrapPixels(Display* dpy, const uint32_t* pixels, int width, int height) {
  Visual* visual = DefaultVisual(dpy, DefaultScreen(dpy));
  return XCreateImage(dpy, visual, 24, ZPixmap, 0, reinterpret_cast<char*>(const_cast<uint32_t*>(pixels)),
                      static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
}

void FreeWrapped(XImage* image) {
  image->data = nullptr;
  XDestroyImage(image);
}

}  // namespace

void TX11Window::SetBackground(const uint32_t* pixels, int width, int height) {
  Display* dpy = FImpl->Dpy;
  XWindowAttributes a{};
  XGetWindowAttributes(dpy, FImpl->Win, &a);
  if (a.depth != 24 && a.depth != 32) throw TKyError("the preview window has an unsupported colour depth");
  const Pixmap pm = XCreatePixmap(dpy, FImpl->Win, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  static_cast<unsigned>(a.depth));
  const GC gc = XCreateGC(dpy, pm, 0, nullptr);
  XImage* image = WrapPixels(dpy, pixels, width, height);
  XPutImage(dpy, pm, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  FreeWrapped(image);
  XFreeGC(dpy, gc);
  // The window keeps the picture after the pixmap's name is freed, and after we disconnect.
  XSetWindowBackgroundPixmap(dpy, FImpl->Win, pm);
  XFreePixmap(dpy, pm);
  XClearWindow(dpy, FImpl->Win);
  XSync(dpy, False);
}

void TX11Window::Draw(const uint32_t* pixels, int width, int height, int x, int y, int first, int end) {
  if (!FImpl->Frames) FImpl->Frames = std::make_unique<TX11FramePutter>(FImpl->Dpy, FImpl->Win);
  gXError = false;
  FImpl->Frames->Put(pixels, width, height, x, y, first, end < 0 ? height : end);
}

void TX11Window::DrawArea(const uint32_t* pixels, int width, int height, int x, int y, int left, int top, int right,
                          int bottom) {
  if (!FImpl->Frames) FImpl->Frames = std::make_unique<TX11FramePutter>(FImpl->Dpy, FImpl->Win);
  gXError = false;
  FImpl->Frames->PutArea(pixels, width, height, x, y, left, top, right, bottom);
}

void TX11Window::FinishDrawing() {
  if (FImpl->Frames) FImpl->Frames->Finish();
}

void TX11Window::FillBlack() {
  if (!FImpl->Frames) FImpl->Frames = std::make_unique<TX11FramePutter>(FImpl->Dpy, FImpl->Win);
  FImpl->Frames->FillBlack(FWidth, FHeight);
}

bool TX11Window::SharedMemoryFrames() const { return FImpl->Frames && FImpl->Frames->SharedMemory(); }

void TX11Window::WatchStructure() {
  XWindowAttributes a{};
  XGetWindowAttributes(FImpl->Dpy, FImpl->Win, &a);
  // Keep whatever the owner already selected; add ours.
  XSelectInput(FImpl->Dpy, FImpl->Win, a.your_event_mask | StructureNotifyMask);
  XSync(FImpl->Dpy, False);
}

int TX11Window::Fd() const { return ConnectionNumber(FImpl->Dpy); }

TX11Event TX11Window::NextEvent() {
  TX11Event out;
  while (XPending(FImpl->Dpy) > 0) {
    XEvent e;
    XNextEvent(FImpl->Dpy, &e);
    if (e.type == DestroyNotify && e.xdestroywindow.window == FImpl->Win) {
      out.Kind = TX11Event::TKind::Destroyed;
      return out;
    }
    if (e.type == ConfigureNotify && e.xconfigure.window == FImpl->Win &&
        (e.xconfigure.width != FWidth || e.xconfigure.height != FHeight)) {
      FWidth = e.xconfigure.width;
      FHeight = e.xconfigure.height;
      out.Kind = TX11Event::TKind::Resized;
      out.Width = FWidth;
      out.Height = FHeight;
      return out;
    }
  }
  return out;
}

}  // namespace ky
