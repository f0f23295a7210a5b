#include "platform/uScreen.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdlib>

namespace ky {

namespace {

// libX11 is opened at run time: the program then runs (and answers 16) where it is missing.
struct TXlib {
  void* Handle = nullptr;
  decltype(&XOpenDisplay) OpenDisplay = nullptr;
  decltype(&XCloseDisplay) CloseDisplay = nullptr;
  decltype(&XDefaultScreen) ScreenOf = nullptr;
  decltype(&XDefaultDepth) DepthOf = nullptr;
  decltype(&XListPixmapFormats) ListPixmapFormats = nullptr;
  decltype(&XFree) Free = nullptr;

  TXlib() {
    Handle = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (Handle == nullptr) return;
    OpenDisplay = reinterpret_cast<decltype(OpenDisplay)>(dlsym(Handle, "XOpenDisplay"));
    CloseDisplay = reinterpret_cast<decltype(CloseDisplay)>(dlsym(Handle, "XCloseDisplay"));
    ScreenOf = reinterpret_cast<decltype(ScreenOf)>(dlsym(Handle, "XDefaultScreen"));
    DepthOf = reinterpret_cast<decltype(DepthOf)>(dlsym(Handle, "XDefaultDepth"));
    ListPixmapFormats = reinterpret_cast<decltype(ListPixmapFormats)>(dlsym(Handle, "XListPixmapFormats"));
    Free = reinterpret_cast<decltype(Free)>(dlsym(Handle, "XFree"));
  }
  ~TXlib() {
    if (Handle != nullptr) dlclose(Handle);
  }
  TXlib(const TXlib&) = delete;
  TXlib& operator=(const TXlib&) = delete;
  bool Ok() const {
    return OpenDisplay && CloseDisplay && ScreenOf && DepthOf && ListPixmapFormats && Free;
  }
};

}  // namespace

int ScreenBitDepth() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return 16;
  TXlib x;
  if (!x.Ok()) return 16;
  Display* d = x.OpenDisplay(nullptr);
  if (d == nullptr) return 16;
  const int depth = x.DepthOf(d, x.ScreenOf(d));
  // Bits per pixel, as the device reports it: depth 24 is stored in 32-bit pixels.
  int bits = 0;
  int count = 0;
  if (XPixmapFormatValues* formats = x.ListPixmapFormats(d, &count)) {
    for (int i = 0; i < count; ++i)
      if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
    x.Free(formats);
  }
  x.CloseDisplay(d);
  return bits > 0 ? bits : 16;
}

}  // namespace ky
