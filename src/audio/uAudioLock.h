#pragma once
// A screensaver daemon starts one hack per monitor; only the process that holds this per-user
// lock plays sound, so the monitors do not play the same music over one another.
#include <string>

namespace ky {

class TAudioLock {
 public:
  // Tries the lock file in $XDG_RUNTIME_DIR (else /tmp, named after the user id).
  TAudioLock();
  explicit TAudioLock(const std::string& path);
  ~TAudioLock();
  TAudioLock(const TAudioLock&) = delete;
  TAudioLock& operator=(const TAudioLock&) = delete;

  // true when this process may play: it holds the lock, or no lock file could be made at all
  // (then nothing can tell the processes apart, and silence everywhere would be worse).
  bool MayPlay() const { return FMayPlay; }
  static std::string DefaultPath();

 private:
  std::string FPath;
  int FFd = -1;
  bool FHeld = false;  // the holder removes the file when it lets go
  bool FMayPlay = true;
};

}  // namespace ky
