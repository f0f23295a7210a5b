#include "uSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <initializer_list>

namespace ky {

namespace {
volatile std::sig_atomic_t gRequested = 0;
int gPipe[2] = {-1, -1};

void OnSignal(int) {
  gRequested = 1;
  if (gPipe[1] >= 0) {
    const char c = 1;
    [[maybe_unused]] const ssize_t w = write(gPipe[1], &c, 1);
  }
}
}  // namespace

void InstallTerminationHandlers() {
  if (gPipe[0] < 0 && pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) gPipe[0] = gPipe[1] = -1;
  struct sigaction sa {};
  sa.sa_handler = &OnSignal;
  sigemptyset(&sa.sa_mask);
  for (const int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &sa, nullptr);
}

bool TerminationRequested() { return gRequested != 0; }

int TerminationFd() { return gPipe[0]; }

}  // namespace ky
