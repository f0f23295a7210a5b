#include "platform/uAtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/uError.h"
#include "platform/uFd.h"

namespace ky {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& what, int err) {
  throw TKyError(path + ": " + what + " (" + std::strerror(err) + ")");
}

// The file a link at path points to, followed to its end; path itself when it is no link.
std::string FollowLinks(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
  if (real) return real.get();
  // A dangling link: the file it names is made.
  std::string target(PATH_MAX, '\0');
  const ssize_t n = readlink(path.c_str(), target.data(), target.size());
  if (n <= 0) return path;
  target.resize(static_cast<size_t>(n));
  if (target[0] == '/') return target;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view data, unsigned newMode) {
  const std::string target = FollowLinks(path);
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash == 0 ? 1 : slash);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  mode_t mode = static_cast<mode_t>(newMode);
  struct stat st {};
  if (stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;

  std::string temp = folder + "/." + name + ".XXXXXX";
  TFd fd(mkstemp(temp.data()));
  if (fd.Get() < 0) Fail(path, "cannot write the file", errno);
  struct TRemoveTemp {
    const std::string& Name;
    bool Keep = false;
    ~TRemoveTemp() {
      if (!Keep) unlink(Name.c_str());
    }
  } guard{temp};
  if (fchmod(fd.Get(), mode) != 0) Fail(path, "cannot write the file", errno);
  for (size_t done = 0; done < data.size();) {
    const ssize_t n = write(fd.Get(), data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail(path, "cannot write the file", n < 0 ? errno : EIO);
    done += static_cast<size_t>(n);
  }
  if (fsync(fd.Get()) != 0) Fail(path, "cannot write the file", errno);
  if (close(fd.Release()) != 0) Fail(path, "cannot write the file", errno);
  if (rename(temp.c_str(), target.c_str()) != 0) Fail(path, "cannot replace the file", errno);
  guard.Keep = true;
}

bool ReadWholeFile(const std::string& path, std::string& data, size_t maxBytes) {
  TFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) {
    if (errno == ENOENT) return false;
    Fail(path, "cannot read the file", errno);
  }
  struct stat st {};
  if (fstat(fd.Get(), &st) != 0) Fail(path, "cannot read the file", errno);
  if (!S_ISREG(st.st_mode)) throw TKyError(path + ": not a plain file");
  data.clear();
  char buf[65536];
  for (;;) {
    const ssize_t n = read(fd.Get(), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail(path, "cannot read the file", errno);
    if (n == 0) break;
    if (data.size() + static_cast<size_t>(n) > maxBytes) throw TKyError(path + ": the file is too large");
    data.append(buf, static_cast<size_t>(n));
  }
  return true;
}

bool RemoveFileIfPresent(const std::string& path) {
  if (unlink(path.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  Fail(path, "cannot remove the file", errno);
}

void MakeFolders(const std::string& path) {
  if (path.empty()) return;
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) throw TKyError(path + ": not a folder");
    return;
  }
  const size_t slash = path.find_last_not_of('/') == std::string::npos ? std::string::npos
                                                                         : path.rfind('/', path.find_last_not_of('/'));
  if (slash != std::string::npos && slash > 0) MakeFolders(path.substr(0, slash));
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) Fail(path, "cannot make the folder", errno);
}

}  // namespace ky
