#pragma once
// The private working folder and the small file helpers shared by the modes.
//
// Layout: <temporary folder><root name>/<process id>/ where the root name is the Base64 form of
// the saver's base name. Every process writes only below its own process folder and holds an
// exclusive lock on a file inside it for as long as it runs, so that the start-up cleaning of a
// second run of the same saver leaves a running show alone.
#include <sys/types.h>

#include <string>
#include <string_view>

namespace ky {

// RFC 4648 Base64 of the bytes.
std::string Base64Encode(std::string_view bytes);

// $TMPDIR, else /tmp, always with a trailing "/".
std::string TempFolder();

// The absolute path with every link resolved, or empty when the path holds "*" or "?", or names
// no existing file.
std::string LongFileName(const std::string& path);

// The saver's base name: the file-name part of its long name cut at its first ".".
std::string SaverBaseName(const std::string& longName);

// The name of the working-folder root: Base64 of the base name (each character's low 8 bits),
// with "/" replaced by "_" so that it stays one folder, cut to 255 bytes.
std::string WorkRootName(std::string_view baseName);

// Removes a folder and everything in it, never following a symbolic link (a link is removed
// itself) and never crossing into another file system. Failures are ignored.
void DeleteFolderTree(const std::string& path);

// The shared media folder of the authoring installation, with a trailing "/":
// $KYSAVER_COMMON when set, else <exe folder>/../share/kysaver/Common/.
std::string GetCommonFolder(const std::string& exeLongName);

// The lock file every process keeps in its own process folder.
constexpr const char* kLockFileName = ".kysaver.lock";

class TWorkFolder {
 public:
  // root: the working-folder root (no trailing "/"); pid: this process.
  TWorkFolder(std::string root, pid_t pid);
  // The root of the saver at exeLongName below TempFolder().
  static TWorkFolder ForSaver(const std::string& exeLongName);
  ~TWorkFolder();
  TWorkFolder(TWorkFolder&&) noexcept;
  TWorkFolder& operator=(TWorkFolder&&) = delete;
  TWorkFolder(const TWorkFolder&) = delete;

  const std::string& Root() const { return FRoot; }
  // The working folder with its trailing "/", whether or not it exists yet.
  std::string Path() const;

  // Creates the root (mode 0700) and the process folder when missing, takes the lock and
  // returns the working folder with its trailing "/". Throws TKyError when the root is a link,
  // not a folder, or not owned by this user.
  std::string GetWorkFolder();
  // The open process folder (valid after GetWorkFolder).
  int Fd() const { return FDirFd; }

  // Deletes what earlier runs left below the root: process folders whose lock is not held,
  // and stray files. Folders of runs still going are left, and the root with them.
  // Throws TKyError when the root is not safe to enter.
  void CleanWorkRoot() const;

  // Removes this process's own folder (lock file included) if it is empty but for the lock.
  void RemoveProcessFolder();

 private:
  void CheckRoot(int rootFd) const;
  std::string FRoot;
  pid_t FPid;
  int FDirFd = -1;
  int FLockFd = -1;
};

}  // namespace ky
