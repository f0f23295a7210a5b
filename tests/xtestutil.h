#pragma once
// Helpers of the tests that run real windows: an Xvfb server, child processes with their own
// environment, and waiting for a condition with a deadline.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "testutil.h"

namespace kytest {

// Waits until done() holds, at most timeoutMs; returns whether it does.
template <typename F>
bool WaitFor(int timeoutMs, F done) {
  for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// A viewable top-level window: where it lies and how large it is.
struct TShownWindow {
  Window Id = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
};

// The viewable top-level windows of a process on display d, as their _NET_WM_PID says.
inline std::vector<TShownWindow> ShownWindowsOf(::Display* d, pid_t pid) {
  std::vector<TShownWindow> found;
  const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", True);
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  if (pidAtom != 0 && XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) {
    for (unsigned i = 0; i < n; ++i) {
      Atom type;
      int format;
      unsigned long items, after;
      unsigned char* data = nullptr;
      XWindowAttributes a{};
      if (XGetWindowProperty(d, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data) ==
              Success &&
          data && items == 1 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid &&
          XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
        found.push_back({children[i], a.x, a.y, a.width, a.height});
      if (data) XFree(data);
    }
    if (children) XFree(children);
  }
  return found;
}

// The same windows, by id only.
inline std::vector<Window> WindowsOf(::Display* d, pid_t pid) {
  std::vector<Window> ids;
  for (const TShownWindow& w : ShownWindowsOf(d, pid)) ids.push_back(w.Id);
  return ids;
}

// An Xvfb server of one screen; its display number comes back through -displayfd. Display() is
// empty when no server could be started.
class TXvfb {
 public:
  TXvfb(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) return;
    FPid = fork();
    if (FPid == 0) {
      close(fds[0]);
      const int devnull = open("/dev/null", O_WRONLY);
      dup2(devnull, 1);
      dup2(devnull, 2);
      const std::string fd = std::to_string(fds[1]);
      const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
      // -ac: a daemon's test runs as another user. -noreset: keep the server between clients.
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", "-ac", "-noreset",
             nullptr);
      _exit(127);
    }
    close(fds[1]);
    // Read up to the line break and keep the pipe open, or the server's second write fails.
    FPipe = fds[0];
    std::string number;
    char c;
    while (read(FPipe, &c, 1) == 1 && c != '\n') number += c;
    if (!number.empty()) FDisplay = ":" + number;
  }
  ~TXvfb() {
    if (FPipe >= 0) close(FPipe);
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      waitpid(FPid, nullptr, 0);
    }
  }
  TXvfb(const TXvfb&) = delete;
  TXvfb& operator=(const TXvfb&) = delete;
  const std::string& Display() const { return FDisplay; }
  // Runs an X client command on this display; its exit status.
  int Run(const std::string& command, std::string* out = nullptr) const { return RunCommand("DISPLAY=" + FDisplay + " " + command, out); }

  // The screen as 0xRRGGBB values, row by row.
  std::vector<uint32_t> Grab(int& width, int& height) const {
    std::vector<uint32_t> px;
    ::Display* d = XOpenDisplay(FDisplay.c_str());
    if (!d) return px;
    XWindowAttributes a{};
    XGetWindowAttributes(d, DefaultRootWindow(d), &a);
    width = a.width;
    height = a.height;
    if (XImage* img = XGetImage(d, DefaultRootWindow(d), 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height),
                                AllPlanes, ZPixmap)) {
      for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) px.push_back(static_cast<uint32_t>(XGetPixel(img, x, y)) & 0xFFFFFF);
      XDestroyImage(img);
    }
    XCloseDisplay(d);
    return px;
  }
  // The viewable top-level windows of a process on this display, through a connection of
  // their own; none when the display cannot be opened.
  std::vector<TShownWindow> ShownWindowsOf(pid_t pid) const {
    ::Display* d = XOpenDisplay(FDisplay.c_str());
    if (!d) return {};
    std::vector<TShownWindow> found = kytest::ShownWindowsOf(d, pid);
    XCloseDisplay(d);
    return found;
  }
  std::vector<Window> WindowsOf(pid_t pid) const {
    ::Display* d = XOpenDisplay(FDisplay.c_str());
    if (!d) return {};
    std::vector<Window> found = kytest::WindowsOf(d, pid);
    XCloseDisplay(d);
    return found;
  }
  uint32_t Pixel(int x, int y) const {
    int w = 0, h = 0;
    const std::vector<uint32_t> px = Grab(w, h);
    return px.empty() ? 0xFFFFFFFF : px[static_cast<size_t>(y) * w + x];
  }

 private:
  pid_t FPid = -1;
  int FPipe = -1;
  std::string FDisplay;
};

// A child process with its own environment; killed when it is still running at the end.
class TProcess {
 public:
  // quiet: its output goes nowhere; stderrFile: its error output goes into that file.
  TProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env, bool quiet = true,
           const std::string& stderrFile = "") {
    FPid = fork();
    if (FPid == 0) {
      if (quiet) {
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
      }
      if (!stderrFile.empty()) dup2(open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
      std::vector<char*> a;
      for (const auto& s : argv) a.push_back(const_cast<char*>(s.c_str()));
      a.push_back(nullptr);
      execv(a[0], a.data());
      _exit(127);
    }
  }
  ~TProcess() {
    if (FPid > 0 && !FDone) {
      kill(FPid, SIGKILL);
      waitpid(FPid, nullptr, 0);
    }
  }
  TProcess(const TProcess&) = delete;
  TProcess& operator=(const TProcess&) = delete;
  // The exit status (128 + the signal when one ended it), or -1 when the process still runs
  // after timeoutMs.
  int Wait(int timeoutMs) {
    int result = -1;
    WaitFor(timeoutMs, [&] {
      int status = 0;
      if (waitpid(FPid, &status, WNOHANG) != FPid) return false;
      FDone = true;
      result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return true;
    });
    return result;
  }
  void Signal(int s) const { kill(FPid, s); }
  pid_t Pid() const { return FPid; }

 private:
  pid_t FPid = -1;
  bool FDone = false;
};

}  // namespace kytest
