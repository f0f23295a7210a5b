#include "uCommonUtil.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/uError.h"
#include "platform/uFd.h"
#include "platform/uText.h"

namespace ky {

namespace {

constexpr const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The low 8 bits of each UTF-16 code unit of a UTF-8 name, as savers made on Windows take them
// from wide-character names, so the root name is the same there and here; bytes that are not UTF-8 stay as they are.
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

// Tries to make the process folder this many times before giving up; each failure means a
// concurrent cleaning of another run took the half-made folder.
constexpr int kMakeAttempts = 64;

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

// A folder of ours that is read-only is made writable, so its files go as they would on a
// system where the flag does not protect them.
void MakeWritableIfOurs(int dirFd) {
  struct stat self {};
  if (fstat(dirFd, &self) == 0 && self.st_uid == geteuid() && (self.st_mode & S_IRWXU) != S_IRWXU)
    fchmod(dirFd, self.st_mode | S_IRWXU);
}

// Deletes the contents of the open folder; folders below it are entered down to `depth` more
// levels and only on the same device.
void DeleteContents(int dirFd, dev_t device, int depth) {
  MakeWritableIfOurs(dirFd);
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

// Whether `name` in the folder still is the open file fd: not removed nor replaced since.
bool IsLinkedAs(int dirFd, const char* name, int fd) {
  struct stat opened {};
  struct stat named {};
  return fstat(fd, &opened) == 0 && opened.st_nlink > 0 && fstatat(dirFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// The lock of a process folder, made when missing: a folder is only ever emptied by whoever
// holds the lock file inside it, so a run that holds its own cannot lose its folder. -1 when
// another holds it or it cannot be had.
int TakeFolderLock(int dirFd) {
  TFd lock(openat(dirFd, kLockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (lock.Get() < 0 || flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) return -1;
  if (!IsLinkedAs(dirFd, kLockFileName, lock.Get())) return -1;
  return lock.Release();
}

// Deletes the process folder `name` of a run that has ended; one whose run still holds its
// lock stays.
void DeleteEndedProcessFolder(int rootFd, const std::string& name, dev_t device) {
  const TFd sub(OpenSubfolder(rootFd, name));
  if (sub.Get() < 0) return;
  MakeWritableIfOurs(sub.Get());
  const TFd lock(TakeFolderLock(sub.Get()));
  if (lock.Get() < 0) return;
  DeleteContents(sub.Get(), device, 0);
  unlinkat(rootFd, name.c_str(), AT_REMOVEDIR);
}

// A folder of `user` that no one else may write to.
bool IsOwnFolder(const struct stat& st, uid_t user) {
  return S_ISDIR(st.st_mode) && st.st_uid == user && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A folder of `user` that no one else may enter at all.
bool IsPrivateFolder(const char* path, uid_t user) {
  struct stat st {};
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == user && (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
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

std::string TempFolder(uid_t user) {
  std::string dir = "/tmp";
  if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r && *r && IsPrivateFolder(r, user)) dir = r;
  else if (const char* t = std::getenv("TMPDIR"); t && *t) dir = t;
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string TempFolder() { return TempFolder(geteuid()); }

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
  if (baseName.empty()) return kEmptyBaseRootName;
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

TWorkFolder::TWorkFolder(std::string root, pid_t pid, uid_t user)
    : FRoot(root), FAskedRoot(std::move(root)), FPid(pid), FUser(user) {}

TWorkFolder TWorkFolder::ForSaver(const std::string& exeLongName) {
  return TWorkFolder(TempFolder() + WorkRootName(SaverBaseName(exeLongName)), getpid());
}

TWorkFolder::TWorkFolder(TWorkFolder&& o) noexcept
    : FRoot(std::move(o.FRoot)),
      FAskedRoot(std::move(o.FAskedRoot)),
      FFreshDevice(o.FFreshDevice),
      FFreshInode(o.FFreshInode),
      FPid(o.FPid),
      FUser(o.FUser),
      FDirFd(o.FDirFd),
      FLockFd(o.FLockFd) {
  o.FDirFd = o.FLockFd = -1;
}

TWorkFolder::~TWorkFolder() {
  if (FLockFd >= 0) close(FLockFd);
  if (FDirFd >= 0) close(FDirFd);
}

std::string TWorkFolder::Path() const { return FRoot + "/" + std::to_string(FPid) + "/"; }

int TWorkFolder::OpenOwnRoot() const {
  const int fd = open(FRoot.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) errno = EPERM;
    return -1;
  }
  struct stat st {};
  const bool known = fstat(fd, &st) == 0;
  const bool madeByThisRun = known && FFreshInode != 0 && st.st_dev == FFreshDevice && st.st_ino == FFreshInode;
  if (!known || !(IsOwnFolder(st, FUser) || (madeByThisRun && (st.st_mode & 077) == 0))) {
    close(fd);
    errno = EPERM;
    return -1;
  }
  return fd;
}

void TWorkFolder::MoveToFreshRoot() {
  std::string fresh = FAskedRoot;
  // The six random characters and the dot must still fit in one folder name.
  const size_t nameStart = fresh.rfind('/') + 1;
  if (fresh.size() - nameStart > NAME_MAX - 7) fresh.resize(nameStart + NAME_MAX - 7);
  fresh += ".XXXXXX";
  if (!mkdtemp(fresh.data()))
    throw TKyError(FAskedRoot + ": the working folder belongs to someone else and no private one can be made beside it (" +
                   std::strerror(errno) + ")");
  struct stat st {};
  if (lstat(fresh.c_str(), &st) == 0) {
    FFreshDevice = st.st_dev;
    FFreshInode = st.st_ino;
  }
  std::fprintf(stderr, "kysaver: %s is not this user's folder; this run works in %s instead\n", FAskedRoot.c_str(),
               fresh.c_str());
  FRoot = fresh;
}

bool TWorkFolder::MakeLockedProcessFolder(int rootFd, int attempt) {
  struct stat rootSt {};
  if (fstat(rootFd, &rootSt) != 0) return false;
  // The folder takes its final name only once its lock is held, so a cleaning never finds a
  // process folder that is not locked but still in use.
  const std::string passing = ".new." + std::to_string(FPid) + "." + std::to_string(attempt);
  if (mkdirat(rootFd, passing.c_str(), 0700) != 0) {
    if (errno == EEXIST) DeleteEndedProcessFolder(rootFd, passing, rootSt.st_dev);
    return false;
  }
  TFd dir(OpenSubfolder(rootFd, passing));
  if (dir.Get() < 0) return false;
  TFd lock(openat(dir.Get(), kLockFileName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  // A cleaning that made the lock file first, or holds it, is deleting this folder.
  if (lock.Get() < 0 || flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) return false;
  if (!IsLinkedAs(dir.Get(), kLockFileName, lock.Get()) || !IsLinkedAs(rootFd, passing.c_str(), dir.Get())) return false;
  const std::string pidName = std::to_string(FPid);
  if (renameat(rootFd, passing.c_str(), rootFd, pidName.c_str()) != 0) {
    // An ended run of the same process id left its folder: it goes, and the next attempt
    // takes the name.
    unlinkat(dir.Get(), kLockFileName, 0);
    unlinkat(rootFd, passing.c_str(), AT_REMOVEDIR);
    DeleteEndedProcessFolder(rootFd, pidName, rootSt.st_dev);
    return false;
  }
  FDirFd = dir.Release();
  FLockFd = lock.Release();
  return true;
}

std::string TWorkFolder::GetWorkFolder() {
  if (FDirFd >= 0 && FLockFd >= 0) return Path();
  for (int attempt = 0; attempt < kMakeAttempts; ++attempt) {
    if (mkdir(FRoot.c_str(), 0700) != 0 && errno != EEXIST)
      throw TKyError(FRoot + ": cannot create the working folder (" + std::strerror(errno) + ")");
    const TFd root(OpenOwnRoot());
    if (root.Get() < 0) {
      // Missing again: a cleaning removed the empty root in between; it is made anew.
      if (errno != ENOENT) MoveToFreshRoot();
      continue;
    }
    if (MakeLockedProcessFolder(root.Get(), attempt)) return Path();
  }
  throw TKyError(Path() + ": cannot create the working folder");
}

void TWorkFolder::CleanWorkRoot() {
  const TFd root(OpenOwnRoot());
  if (root.Get() < 0) {
    // Nothing of ours can be in a root that is not ours: it is left as it is.
    if (errno != ENOENT) MoveToFreshRoot();
    return;
  }
  struct stat rootSt {};
  if (fstat(root.Get(), &rootSt) != 0) return;
  const std::string ownName = std::to_string(FPid);
  for (const std::string& name : EntryNames(root.Get())) {
    struct stat st {};
    if (fstatat(root.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISDIR(st.st_mode)) {
      unlinkat(root.Get(), name.c_str(), 0);
      continue;
    }
    if (st.st_dev != rootSt.st_dev) continue;
    if (name == ownName && FLockFd >= 0) continue;  // our own folder goes with RemoveProcessFolder
    DeleteEndedProcessFolder(root.Get(), name, rootSt.st_dev);
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
