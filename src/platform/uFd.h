#pragma once
// TFd: a file descriptor that is closed when its owner ends.
#include <unistd.h>

namespace ky {

class TFd {
 public:
  explicit TFd(int fd = -1) : FFd(fd) {}
  ~TFd() { Reset(); }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }
  // Closes the one held and holds fd instead.
  void Reset(int fd = -1) {
    if (FFd >= 0) close(FFd);
    FFd = fd;
  }
  // Hands the descriptor over; nothing is closed here any more.
  int Release() {
    const int fd = FFd;
    FFd = -1;
    return fd;
  }

 private:
  int FFd;
};

}  // namespace ky
