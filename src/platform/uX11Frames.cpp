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
  PutArea(pixels, width, height, x, y, 0, first, width, end);
  Finish();
}

void TX11FramePutter::PutArea(const uint32_t* pixels, int width, int height, int x, int y, int left, int top, int right,
                              int bottom) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width);
  bottom = std::min(bottom, height);
  if (left >= right || top >= bottom) return;
  if (FTryShared && (!FShared || FShared->Width != width || FShared->Height != height)) MakeShared(width, height);
  if (!FShared) {
    PutPlain(pixels, width, height, x, y, left, top, right, bottom);
    return;
  }
  XImage* image = FShared->Image;
  const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(right - left);
  for (int row = top; row < bottom; ++row)
    std::memcpy(image->data + static_cast<ptrdiff_t>(row) * image->bytes_per_line + static_cast<ptrdiff_t>(left) * 4,
                pixels + static_cast<ptrdiff_t>(row) * width + left, bytes);
  XShmPutImage(FDisplay, FWindow, FGc, image, left, top, x + left, y + top, static_cast<unsigned>(right - left),
               static_cast<unsigned>(bottom - top), False);
}

void TX11FramePutter::Finish() {
  // Shared memory is written again by the next frame: the server must be done with this one.
  if (FShared) XSync(FDisplay, False);
  else XFlush(FDisplay);
}

void TX11FramePutter::FillBlack(int windowWidth, int windowHeight) {
  if (windowWidth <= 0 || windowHeight <= 0) return;
  XSetForeground(FDisplay, FGc, BlackPixel(FDisplay, DefaultScreen(FDisplay)));
  XFillRectangle(FDisplay, FWindow, FGc, 0, 0, static_cast<unsigned>(windowWidth), static_cast<unsigned>(windowHeight));
}

void TX11FramePutter::PutPlain(const uint32_t* pixels, int width, int height, int x, int y, int left, int top, int right,
                               int bottom) {
  Visual* visual = DefaultVisual(FDisplay, DefaultScreen(FDisplay));
  XImage* image = XCreateImage(FDisplay, visual, 24, ZPixmap, 0, reinterpret_cast<char*>(const_cast<uint32_t*>(pixels)),
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
  if (!image) return;
  XPutImage(FDisplay, FWindow, FGc, image, left, top, x + left, y + top, static_cast<unsigned>(right - left),
            static_cast<unsigned>(bottom - top));
  image->data = nullptr;  // the caller's pixels
  XDestroyImage(image);
}

}  // namespace ky
