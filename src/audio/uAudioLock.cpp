#include "uAudioLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace ky {

std::string TAudioLock::DefaultPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  if (runtime && *runtime == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid())
    return std::string(runtime) + "/kysaver-audio.lock";
  return "/tmp/kysaver-audio-" + std::to_string(geteuid()) + ".lock";
}

TAudioLock::TAudioLock() : TAudioLock(DefaultPath()) {}

TAudioLock::TAudioLock(const std::string& path) : FPath(path) {
  // The holder removes the file when it ends, so a start may lock a file that is no longer
  // under the name; only the file the name leads to counts, so such a start tries again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    FFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (FFd < 0) return;
    struct stat st {};
    // Another user's file in a shared folder decides nothing for us.
    if (fstat(FFd, &st) != 0 || st.st_uid != geteuid() || !S_ISREG(st.st_mode)) {
      close(FFd);
      FFd = -1;
      return;
    }
    int rc;
    do rc = flock(FFd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      FMayPlay = false;
      close(FFd);
      FFd = -1;
      return;
    }
    struct stat named {};
    if (lstat(path.c_str(), &named) == 0 && named.st_dev == st.st_dev && named.st_ino == st.st_ino) {
      FHeld = true;
      return;
    }
    close(FFd);
    FFd = -1;
  }
}

TAudioLock::~TAudioLock() {
  // Removed while still locked: no later start can take the lock of a file that is gone.
  if (FHeld) unlink(FPath.c_str());
  if (FFd >= 0) close(FFd);
}

}  // namespace ky
