#include "uCommonUtil.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/uError.h"
#include "platform/uText.h"

namespace ky {

namespace {

constexpr const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The low 8 bits of each UTF-16 code unit of a UTF-8 name, as the system takes them from its
// wide-character names; bytes that are not UTF-8 stay as they are.
std::string LowBytesOfCodeUnits(std::string_view name) {
  if (!IsValidUtf8(name)) return std::string(name);
  std::string out;
  for (size_t i = 0; i < name.size();) {
    const auto c = static_cast<unsigned char>(name[i]);
    uint32_t cp;
    size_t len;
    if (c < 0x80) { cp = c; len = 1; }
    else if (c < 0xE0) { cp = c & 0x1Fu; len = 2; }
    else if (c < 0xF0) { cp = c & 0x0Fu; len = 3; }
    else { cp = c & 0x07u; len = 4; }
    for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(name[i + k]) & 0x3Fu);
    i += len;
    if (cp >= 0x10000) {  // a surrogate pair: two code units
      cp -= 0x10000;
      out += static_cast<char>((0xD800 + (cp >> 10)) & 0xFF);
      out += static_cast<char>((0xDC00 + (cp & 0x3FF)) & 0xFF);
    } else {
      out += static_cast<char>(cp & 0xFF);
    }
  }
  return out;
}

class TDir {
 public:
  explicit TDir(int fd) : FDir(fd >= 0 ? fdopendir(fd) : nullptr) {
    if (fd >= 0 && !FDir) close(fd);
  }
  ~TDir() { if (FDir) closedir(FDir); }
  TDir(const TDir&) = delete;
  TDir& operator=(const TDir&) = delete;
  DIR* Get() const { return FDir; }

 private:
  DIR* FDir;
};

std::vector<std::string> EntryNames(int dirFd) {
  std::vector<std::string> names;
  const int dup = fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
  if (dup < 0) return names;
  const TDir dir(dup);
  if (!dir.Get()) return names;
  rewinddir(dir.Get());
  while (const dirent* e = readdir(dir.Get())) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    names.emplace_back(e->d_name);
  }
  return names;
}

int OpenSubfolder(int parentFd, const std::string& name) {
  return openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Deletes the contents of the open folder; folders below it are entered down to `depth` more
// levels and only on the same device. A folder of ours that is read-only is made writable
// first, so its files go as they would on a system where the flag does not protect them.
void DeleteContents(int dirFd, dev_t device, int depth) {
  struct stat self {};
  if (fstat(dirFd, &self) == 0 && self.st_uid == geteuid() && (self.st_mode & S_IRWXU) != S_IRWXU)
    fchmod(dirFd, self.st_mode | S_IRWXU);
  for (const std::string& name : EntryNames(dirFd)) {
    struct stat st {};
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      if (depth <= 0 || st.st_dev != device) continue;
      const int sub = OpenSubfolder(dirFd, name);
      if (sub < 0) continue;
      DeleteContents(sub, device, depth - 1);
      close(sub);
      unlinkat(dirFd, name.c_str(), AT_REMOVEDIR);
    } else {
      unlinkat(dirFd, name.c_str(), 0);
    }
  }
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve(4 * ((bytes.size() + 2) / 3));
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (n > 1) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    if (n > 2) v |= static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += n > 1 ? kAlphabet[(v >> 6) & 63] : '=';
    out += n > 2 ? kAlphabet[v & 63] : '=';
  }
  return out;
}

std::string TempFolder() {
  const char* t = std::getenv("TMPDIR");
  std::string dir = (t && *t) ? t : "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string LongFileName(const std::string& path) {
  if (path.find_first_of("*?") != std::string::npos) return {};
  char buf[PATH_MAX];
  if (!realpath(path.c_str(), buf)) return {};
  return buf;
}

std::string SaverBaseName(const std::string& longName) {
  const std::string name = FileNamePart(longName);
  return name.substr(0, name.find('.'));
}

std::string WorkRootName(std::string_view baseName) {
  std::string name = Base64Encode(LowBytesOfCodeUnits(baseName));
  for (char& c : name)
    if (c == '/') c = '_';
  if (name.size() > 255) name.resize(255);
  return name;
}

void DeleteFolderTree(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    // A link (or file) under the name goes itself; its target is never touched.
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(path.c_str());
    return;
  }
  struct stat st {};
  if (fstat(fd, &st) == 0) DeleteContents(fd, st.st_dev, 64);
  close(fd);
  rmdir(path.c_str());
}

std::string GetCommonFolder(const std::string& exeLongName) {
  std::string dir;
  if (const char* c = std::getenv("KYSAVER_COMMON"); c && *c) {
    dir = c;
  } else {
    const size_t slash = exeLongName.rfind('/');
    dir = (slash == std::string::npos ? std::string(".") : exeLongName.substr(0, slash)) + "/../share/kysaver/Common";
  }
  if (dir.back() != '/') dir += '/';
  return dir;
}

TWorkFolder::TWorkFolder(std::string root, pid_t pid) : FRoot(std::move(root)), FPid(pid) {}

TWorkFolder TWorkFolder::ForSaver(const std::string& exeLongName) {
  return TWorkFolder(TempFolder() + WorkRootName(SaverBaseName(exeLongName)), getpid());
}

TWorkFolder::TWorkFolder(TWorkFolder&& o) noexcept
    : FRoot(std::move(o.FRoot)), FPid(o.FPid), FDirFd(o.FDirFd), FLockFd(o.FLockFd) {
  o.FDirFd = o.FLockFd = -1;
}

TWorkFolder::~TWorkFolder() {
  if (FLockFd >= 0) close(FLockFd);
  if (FDirFd >= 0) close(FDirFd);
}

std::string TWorkFolder::Path() const { return FRoot + "/" + std::to_string(FPid) + "/"; }

void TWorkFolder::CheckRoot(int rootFd) const {
  struct stat st {};
  if (fstat(rootFd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
    throw TKyError(FRoot + ": the working folder is not a folder of this user; remove it and start again");
}

std::string TWorkFolder::GetWorkFolder() {
  if (FDirFd >= 0 && FLockFd >= 0) return Path();
  const std::string pidName = std::to_string(FPid);
  // A concurrent start-up cleaning can remove our fresh, not yet locked folder: try again.
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (mkdir(FRoot.c_str(), 0700) != 0 && errno != EEXIST)
      throw TKyError(FRoot + ": cannot create the working folder (" + std::strerror(errno) + ")");
    const int rootFd = open(FRoot.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rootFd < 0) {
      if (errno == ENOENT) continue;
      throw TKyError(FRoot + ": the working folder is not a folder of this user; remove it and start again");
    }
    try {
      CheckRoot(rootFd);
    } catch (...) {
      close(rootFd);
      throw;
    }
    mkdirat(rootFd, pidName.c_str(), 0700);
    const int dirFd = OpenSubfolder(rootFd, pidName);
    close(rootFd);
    if (dirFd < 0) continue;
    const int lockFd = openat(dirFd, kLockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lockFd < 0 || flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
      if (lockFd >= 0) close(lockFd);
      close(dirFd);
      continue;
    }
    // The folder may have been unlinked between mkdir and the lock; then start over.
    struct stat st {};
    if (fstat(dirFd, &st) != 0 || st.st_nlink == 0) {
      close(lockFd);
      close(dirFd);
      continue;
    }
    FDirFd = dirFd;
    FLockFd = lockFd;
    return Path();
  }
  throw TKyError(Path() + ": cannot create the working folder");
}

void TWorkFolder::CleanWorkRoot() const {
  const int rootFd = open(FRoot.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (rootFd < 0) {
    if (errno == ENOENT) return;
    throw TKyError(FRoot + ": the working folder is not a folder of this user; remove it and start again");
  }
  struct TCloser { int fd; ~TCloser() { close(fd); } } closer{rootFd};
  CheckRoot(rootFd);
  struct stat rootSt {};
  fstat(rootFd, &rootSt);
  const std::string ownName = std::to_string(FPid);
  for (const std::string& name : EntryNames(rootFd)) {
    struct stat st {};
    if (fstatat(rootFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISDIR(st.st_mode)) {
      unlinkat(rootFd, name.c_str(), 0);
      continue;
    }
    if (st.st_dev != rootSt.st_dev) continue;
    if (name == ownName && FLockFd >= 0) continue;  // our own folder goes with RemoveProcessFolder
    const int sub = OpenSubfolder(rootFd, name);
    if (sub < 0) continue;
    // A run that still holds its lock is using its files.
    const int lock = openat(sub, kLockFileName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (lock >= 0 && flock(lock, LOCK_EX | LOCK_NB) != 0) {
      close(lock);
      close(sub);
      continue;
    }
    DeleteContents(sub, rootSt.st_dev, 0);
    if (lock >= 0) close(lock);
    close(sub);
    unlinkat(rootFd, name.c_str(), AT_REMOVEDIR);
  }
  // Removed only when nothing of a running show is left in it.
  rmdir(FRoot.c_str());
}

void TWorkFolder::RemoveProcessFolder() {
  if (FDirFd >= 0) unlinkat(FDirFd, kLockFileName, 0);
  if (FLockFd >= 0) close(FLockFd);
  if (FDirFd >= 0) close(FDirFd);
  FLockFd = FDirFd = -1;
  rmdir(Path().c_str());
}

}  // namespace ky
