#include "uX11Frames.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ky {

namespace {

// XShmAttach fails asynchronously (BadAccess on a remote display); its error is caught here
// while the attach is synchronised, then the previous handler is back.
bool gAttachFailed = false;
int RecordAttachError(Display*, XErrorEvent*) {
  gAttachFailed = true;
  return 0;
}

bool SharedMemoryAllowed(Display* display) {
  const char* off = std::getenv("KYSAVER_NO_SHM");
  if (off && *off && std::strcmp(off, "0") != 0) return false;
  return XShmQueryExtension(display) == True;
}

}  // namespace

struct TX11FramePutter::TShared {
  Display* Dpy = nullptr;
  XShmSegmentInfo Info{};
  XImage* Image = nullptr;
  bool Attached = false;
  int Width = 0, Height = 0;
  ~TShared() {
    if (Attached) {
      XShmDetach(Dpy, &Info);
      XSync(Dpy, False);
    }
    if (Image) {
      Image->data = nullptr;  // the segment, detached below, not freed
      XDestroyImage(Image);
    }
    if (Info.shmaddr && Info.shmaddr != reinterpret_cast<char*>(-1)) shmdt(Info.shmaddr);
  }
};

TX11FramePutter::TX11FramePutter(Display* display, Window window)
    : FDisplay(display), FWindow(window), FGc(XCreateGC(display, window, 0, nullptr)),
      FTryShared(SharedMemoryAllowed(display)) {}

TX11FramePutter::~TX11FramePutter() {
  FShared.reset();
  XFreeGC(FDisplay, FGc);
}

void TX11FramePutter::MakeShared(int width, int height) {
  FShared.reset();
  auto s = std::make_unique<TShared>();
  s->Dpy = FDisplay;
  Visual* visual = DefaultVisual(FDisplay, DefaultScreen(FDisplay));
  s->Image = XShmCreateImage(FDisplay, visual, 24, ZPixmap, nullptr, &s->Info, static_cast<unsigned>(width),
                             static_cast<unsigned>(height));
  if (!s->Image || s->Image->bits_per_pixel != 32) {
    FTryShared = false;
    return;
  }
  s->Info.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(s->Image->bytes_per_line) * static_cast<size_t>(height),
                         IPC_CREAT | 0600);
  if (s->Info.shmid < 0) {
    FTryShared = false;
    return;
  }
  s->Info.shmaddr = s->Image->data = static_cast<char*>(shmat(s->Info.shmid, nullptr, 0));
  s->Info.readOnly = False;
  if (s->Info.shmaddr == reinterpret_cast<char*>(-1)) {
    shmctl(s->Info.shmid, IPC_RMID, nullptr);
    s->Image->data = nullptr;
    FTryShared = false;
    return;
  }
  XSync(FDisplay, False);
  gAttachFailed = false;
  const XErrorHandler old = XSetErrorHandler(&RecordAttachError);
  const bool attached = XShmAttach(FDisplay, &s->Info) != 0;
  XSync(FDisplay, False);
  XSetErrorHandler(old);
  // The segment goes away once both sides have let go of it, whatever happens from here.
  shmctl(s->Info.shmid, IPC_RMID, nullptr);
  if (!attached || gAttachFailed) {
    s->Image->data = nullptr;
    FTryShared = false;
    return;
  }
  s->Attached = true;
  s->Width = width;
  s->Height = height;
  FShared = std::move(s);
}

void TX11FramePutter::Put(const uint32_t* pixels, int width, int height, int x, int y, int first, int end) {
  if (end < 0 || end > height) end = height;
  first = std::max(first, 0);
  if (width <= 0 || height <= 0 || first >= end) return;
  PutRects(pixels, width, height, x, y, {TRect{0, first, width, end}});
}

void TX11FramePutter::PutRects(const uint32_t* pixels, int width, int height, int x, int y, const std::vector<TRect>& rects) {
  if (width <= 0 || height <= 0 || rects.empty()) return;
  if (FTryShared && (!FShared || FShared->Width != width || FShared->Height != height)) MakeShared(width, height);
  if (!FShared) {
    PutPlain(pixels, width, height, x, y, rects);
    return;
  }
  XImage* image = FShared->Image;
  for (const TRect& given : rects) {
    const TRect r = IntersectRect(given, TRect{0, 0, width, height});
    if (r.IsEmpty()) continue;
    const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(r.Width());
    for (int row = r.Top; row < r.Bottom; ++row)
      std::memcpy(image->data + static_cast<ptrdiff_t>(row) * image->bytes_per_line + static_cast<ptrdiff_t>(r.Left) * 4,
                  pixels + static_cast<ptrdiff_t>(row) * width + r.Left, bytes);
    XShmPutImage(FDisplay, FWindow, FGc, image, r.Left, r.Top, x + r.Left, y + r.Top, static_cast<unsigned>(r.Width()),
                 static_cast<unsigned>(r.Height()), False);
  }
  // The next frame is written into the same memory: the server must be done with this one.
  XSync(FDisplay, False);
}

void TX11FramePutter::FillBlack(int windowWidth, int windowHeight) {
  if (windowWidth <= 0 || windowHeight <= 0) return;
  XSetForeground(FDisplay, FGc, BlackPixel(FDisplay, DefaultScreen(FDisplay)));
  XFillRectangle(FDisplay, FWindow, FGc, 0, 0, static_cast<unsigned>(windowWidth), static_cast<unsigned>(windowHeight));
}

void TX11FramePutter::PutPlain(const uint32_t* pixels, int width, int height, int x, int y, const std::vector<TRect>& rects) {
  Visual* visual = DefaultVisual(FDisplay, DefaultScreen(FDisplay));
  XImage* image = XCreateImage(FDisplay, visual, 24, ZPixmap, 0, reinterpret_cast<char*>(const_cast<uint32_t*>(pixels)),
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
  if (!image) return;
  for (const TRect& given : rects) {
    const TRect r = IntersectRect(given, TRect{0, 0, width, height});
    if (r.IsEmpty()) continue;
    XPutImage(FDisplay, FWindow, FGc, image, r.Left, r.Top, x + r.Left, y + r.Top, static_cast<unsigned>(r.Width()),
              static_cast<unsigned>(r.Height()));
  }
  image->data = nullptr;  // the caller's pixels
  XDestroyImage(image);
  XFlush(FDisplay);
}

}  // namespace ky
