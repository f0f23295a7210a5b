#pragma once
// Files for the fuzz targets whose readers take a path: an anonymous in-memory file (memfd)
// reached through /proc/self/fd, so no input ever lands on disk or clashes with another run,
// and a private temporary folder that is emptied and removed with the object.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace kyfuzz {

class TMemFile {
 public:
  TMemFile(const uint8_t* data, size_t size) : FFd(memfd_create("kyfuzz", MFD_CLOEXEC)) {
    if (FFd < 0) __builtin_trap();  // the machine, not the reader, failed
    size_t done = 0;
    while (done < size) {
      const ssize_t w = write(FFd, data + done, size - done);
      if (w <= 0) __builtin_trap();
      done += static_cast<size_t>(w);
    }
    FPath = "/proc/self/fd/" + std::to_string(FFd);
  }
  ~TMemFile() { close(FFd); }
  TMemFile(const TMemFile&) = delete;
  TMemFile& operator=(const TMemFile&) = delete;
  const std::string& Path() const { return FPath; }

 private:
  int FFd;
  std::string FPath;
};

class TTempFolder {
 public:
  TTempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/kyfuzz-XXXXXX";
    if (!mkdtemp(templ.data())) __builtin_trap();
    FPath = templ;
    FFd = open(FPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (FFd < 0) __builtin_trap();
  }
  ~TTempFolder() {
    // Only plain files are ever made inside.
    if (DIR* d = fdopendir(dup(FFd))) {
      while (const dirent* e = readdir(d))
        if (e->d_name[0] != '.') unlinkat(FFd, e->d_name, 0);
      closedir(d);
    }
    close(FFd);
    rmdir(FPath.c_str());
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  int Fd() const { return FFd; }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
  int FFd = -1;
};

}  // namespace kyfuzz
