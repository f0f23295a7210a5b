#pragma once
// The private working folder and the small file helpers shared by the modes.
//
// Layout: <temporary folder><root name>/<process id>/ where the root name is the Base64 form of
// the saver's base name. Every process writes only below its own process folder and holds an
// exclusive lock on a file inside it for as long as it runs, so that the start-up cleaning of a
// second run of the same saver leaves a running show alone. A process folder only ever appears
// under its final name with its lock already held.
#include <sys/types.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace ky {

// RFC 4648 Base64 of the bytes.
std::string Base64Encode(std::string_view bytes);

// The folder the working-folder roots of `user` lie in, with a trailing "/": $XDG_RUNTIME_DIR
// when it is a folder of that user that no one else may enter, else $TMPDIR, else /tmp.
std::string TempFolder(uid_t user);
std::string TempFolder();

// The absolute path with every link resolved, or empty when the path holds "*" or "?", or names
// no existing file.
std::string LongFileName(const std::string& path);

// The saver's base name: the file-name part of its long name cut at its first ".".
std::string SaverBaseName(const std::string& longName);

// The name of the working-folder root: Base64 of the base name (each character's low 8 bits),
// with "/" replaced by "_" so that it stays one folder, cut to 255 bytes. An empty base name
// gets kEmptyBaseRootName, so the root is never the temporary folder itself.
std::string WorkRootName(std::string_view baseName);

// Seven characters: no Base64 text has that length, so no saver's own root can take this name.
constexpr const char* kEmptyBaseRootName = "kysaver";

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
  // root: the working-folder root (no trailing "/"); pid: this process; user: the account the
  // root must belong to.
  TWorkFolder(std::string root, pid_t pid, uid_t user = geteuid());
  // The root of the saver at exeLongName below TempFolder().
  static TWorkFolder ForSaver(const std::string& exeLongName);
  ~TWorkFolder();
  TWorkFolder(TWorkFolder&&) noexcept;
  TWorkFolder& operator=(TWorkFolder&&) = delete;
  TWorkFolder(const TWorkFolder&) = delete;

  // The root in use: the one asked for, or the private one that replaced it when the one asked
  // for turned out not to be this user's.
  const std::string& Root() const { return FRoot; }
  // The working folder with its trailing "/", whether or not it exists yet.
  std::string Path() const;

  // Creates the root (mode 0700) and the process folder when missing, takes the lock and
  // returns the working folder with its trailing "/". When the root is a link, not a folder,
  // owned by another user or writable by others, it is left untouched and this run moves to a
  // fresh private root beside it (said in one line on stderr). Throws TKyError when no folder
  // can be made.
  std::string GetWorkFolder();
  // The open process folder (valid after GetWorkFolder).
  int Fd() const { return FDirFd; }

  // Deletes what earlier runs left below the root: process folders whose lock is not held,
  // and stray files. Folders of runs still going are left, and the root with them. A root that
  // is not this user's is never entered: the run moves to a fresh root as GetWorkFolder does.
  void CleanWorkRoot();

  // Removes this process's own folder (lock file included) if it is empty but for the lock.
  void RemoveProcessFolder();

 private:
  // The open root when it is a folder of this user's own; -1 when there is none (errno ENOENT)
  // or what is there is not ours.
  int OpenOwnRoot() const;
  // Leaves a root that is not ours for a fresh private one beside it.
  void MoveToFreshRoot();
  // Makes the process folder with its lock held under a passing name, then renames it into
  // place; false when a concurrent cleaning got in the way and the caller should try again.
  bool MakeLockedProcessFolder(int rootFd, int attempt);
  std::string FRoot;
  std::string FAskedRoot;
  // The fresh root this run made itself, known by its identity; 0 when there is none.
  dev_t FFreshDevice = 0;
  ino_t FFreshInode = 0;
  pid_t FPid;
  uid_t FUser;
  int FDirFd = -1;
  int FLockFd = -1;
};

}  // namespace ky
