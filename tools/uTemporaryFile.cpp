#include "uTemporaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "app/uCommonUtil.h"
#include "platform/uError.h"

namespace ky {

TTemporaryFile::TTemporaryFile(const std::string& name, const void* data, size_t size) {
  std::string tmpl = TempFolder() + "kysaver-tool-XXXXXX";
  if (!mkdtemp(tmpl.data())) throw TKyError(TempFolder() + ": cannot make a temporary folder");
  FFolder = tmpl;
  FPath = FFolder + "/" + name;
  const int fd = open(FPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  bool ok = fd >= 0;
  const char* p = static_cast<const char*>(data);
  size_t done = 0;
  while (ok && done < size) {
    const ssize_t w = write(fd, p + done, size - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) ok = false;
    else done += static_cast<size_t>(w);
  }
  if (fd >= 0) ok = close(fd) == 0 && ok;
  if (!ok) {
    unlink(FPath.c_str());
    rmdir(FFolder.c_str());
    throw TKyError(FPath + ": cannot write the temporary file");
  }
}

TTemporaryFile::~TTemporaryFile() {
  unlink(FPath.c_str());
  rmdir(FFolder.c_str());
}

}  // namespace ky
