#include <fcntl.h>
#include <limits.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "app/uCommonUtil.h"
#include "platform/uError.h"
#include "testutil.h"

using namespace ky;
using kytest::Exists;
using kytest::TTempDir;

TEST(WorkFolder, CreatesAPrivateRootAndProcessFolder) {
  TTempDir tmp;
  TWorkFolder w(tmp / "Um9vdA", 4242);
  EXPECT_EQ(w.Path(), tmp / "Um9vdA/4242/");
  EXPECT_EQ(w.GetWorkFolder(), tmp / "Um9vdA/4242/");
  EXPECT_EQ(w.GetWorkFolder(), tmp / "Um9vdA/4242/");  // asked again: same folder
  struct stat st {};
  ASSERT_EQ(stat((tmp / "Um9vdA").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(Exists(tmp / "Um9vdA/4242/" + kLockFileName));
  w.RemoveProcessFolder();
  EXPECT_FALSE(Exists(tmp / "Um9vdA/4242"));
}

TEST(WorkFolder, CleaningSparesRunningShowsAndNeverLeavesTheRoot) {
  TTempDir tmp;
  const std::string root = tmp / "Um9vdA";
  TWorkFolder running(root, 100);  // another run, still holding its lock
  running.GetWorkFolder();
  kytest::WriteFile(root + "/100/KyImage0.kyp", "in use");

  mkdir((root + "/200").c_str(), 0700);  // a run that ended without cleaning
  kytest::WriteFile(root + "/200/KyC.res", "old");
  kytest::WriteFile(root + "/200/" + kLockFileName, "");
  mkdir((root + "/200/deeper").c_str(), 0700);  // not ours: left alone
  kytest::WriteFile(root + "/200/deeper/file", "x");
  mkdir((root + "/300").c_str(), 0700);  // read-only folder of ours: its files still go
  kytest::WriteFile(root + "/300/a.jpg", "old");
  chmod((root + "/300").c_str(), 0500);
  kytest::WriteFile(root + "/stray", "x");
  mkdir((tmp / "outside").c_str(), 0700);
  kytest::WriteFile(tmp / "outside/victim", "keep");
  symlink((tmp / "outside").c_str(), (root + "/400").c_str());
  mkdir((root + "/500").c_str(), 0700);
  symlink((tmp / "outside/victim").c_str(), (root + "/500/victim").c_str());

  TWorkFolder me(root, 999);
  me.CleanWorkRoot();
  EXPECT_EQ(kytest::ReadFile(root + "/100/KyImage0.kyp"), "in use");
  EXPECT_FALSE(Exists(root + "/200/KyC.res"));
  EXPECT_TRUE(Exists(root + "/200/deeper/file"));
  EXPECT_FALSE(Exists(root + "/300"));
  EXPECT_FALSE(Exists(root + "/stray"));
  EXPECT_FALSE(Exists(root + "/400"));
  EXPECT_FALSE(Exists(root + "/500"));
  EXPECT_EQ(kytest::ReadFile(tmp / "outside/victim"), "keep");
  EXPECT_TRUE(Exists(root));  // a show is still running in it

  running.RemoveProcessFolder();
  std::system(("rm -rf '" + root + "/200/deeper'").c_str());
  me.CleanWorkRoot();
  EXPECT_FALSE(Exists(root));
}

TEST(DeleteFolderTree, RemovesLinksNotTheirTargets) {
  TTempDir tmp;
  mkdir((tmp / "tree").c_str(), 0700);
  mkdir((tmp / "tree/sub").c_str(), 0700);
  kytest::WriteFile(tmp / "tree/sub/f", "x");
  mkdir((tmp / "target").c_str(), 0700);
  kytest::WriteFile(tmp / "target/keep", "x");
  symlink((tmp / "target").c_str(), (tmp / "tree/sub/link").c_str());
  DeleteFolderTree(tmp / "tree");
  EXPECT_FALSE(Exists(tmp / "tree"));
  EXPECT_TRUE(Exists(tmp / "target/keep"));
  symlink((tmp / "target").c_str(), (tmp / "top-link").c_str());
  DeleteFolderTree(tmp / "top-link");
  EXPECT_FALSE(Exists(tmp / "top-link"));
  EXPECT_TRUE(Exists(tmp / "target/keep"));
}

TEST(FileUtilities, LongNameAndCommonFolder) {
  TTempDir tmp;
  kytest::WriteFile(tmp / "Sea Waves.scr", "x");
  symlink((tmp / "Sea Waves.scr").c_str(), (tmp / "short.scr").c_str());
  char real[PATH_MAX];
  ASSERT_NE(realpath((tmp / "Sea Waves.scr").c_str(), real), nullptr);
  EXPECT_EQ(LongFileName(tmp / "short.scr"), real);
  EXPECT_EQ(LongFileName(tmp / "missing.scr"), "");
  EXPECT_EQ(LongFileName(tmp / "*.scr"), "");
  setenv("KYSAVER_COMMON", "/opt/common", 1);
  EXPECT_EQ(GetCommonFolder("/x/bin/Garden.scr"), "/opt/common/");
  unsetenv("KYSAVER_COMMON");
  EXPECT_EQ(GetCommonFolder("/x/bin/Garden.scr"), "/x/bin/../share/kysaver/Common/");
}

namespace {

// Every entry below dir but the fresh roots beside `root`, with type, mode, owner, size and
// link target, one line each.
std::string Snapshot(const std::string& dir, const std::string& freshRootsToSkip) {
  std::string out;
  kytest::RunCommand("cd '" + dir + "' && find . -mindepth 1 -not -path './" + freshRootsToSkip +
                         ".*' -printf '%p %y %m %U %s %l\\n' | sort",
                     &out);
  return out;
}

// Sets an environment variable for one scope and puts the old value back.
class TEnvVar {
 public:
  TEnvVar(const char* name, const char* value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old, FHadOld = true;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~TEnvVar() {
    if (FHadOld) setenv(FName, FOld.c_str(), 1);
    else unsetenv(FName);
  }
  TEnvVar(const TEnvVar&) = delete;
  TEnvVar& operator=(const TEnvVar&) = delete;

 private:
  const char* FName;
  std::string FOld;
  bool FHadOld = false;
};

}  // namespace

TEST(WorkRootName, NeverTheTemporaryFolderItself) {
  const struct { const char* exe; const char* root; } cases[] = {
      {"/x/Sea Waves.scr", "U2VhIFdhdmVz"},
      {"/x/.hidden.scr", kEmptyBaseRootName},
      {"/x/.scr", kEmptyBaseRootName},
      {"", kEmptyBaseRootName},  // a path that could not be resolved
  };
  for (const auto& c : cases) EXPECT_EQ(WorkRootName(SaverBaseName(c.exe)), c.root) << c.exe;
  TTempDir tmp;
  TEnvVar noRuntime("XDG_RUNTIME_DIR", nullptr);
  TEnvVar tmpdir("TMPDIR", tmp.Path().c_str());
  EXPECT_EQ(TWorkFolder::ForSaver("").Root(), tmp / kEmptyBaseRootName);
}

TEST(TempFolder, RuntimeFolderOnlyWhenPrivateToTheUser) {
  TTempDir tmp;
  const uid_t me = geteuid();
  mkdir((tmp / "private").c_str(), 0700);
  mkdir((tmp / "shared").c_str(), 0755);
  chmod((tmp / "shared").c_str(), 0755);
  kytest::WriteFile(tmp / "file", "x");
  const std::string other = tmp / "other/";
  const struct { const char* runtime; const char* tmpdir; uid_t user; std::string expected; } cases[] = {
      {"private", "other", me, tmp / "private/"},
      {"private", "other", me + 1, other},  // not this user's
      {"shared", "other", me, other},
      {"file", "other", me, other},
      {"missing", "other", me, other},
      {nullptr, "other", me, other},
      {"", nullptr, me, "/tmp/"},
      {nullptr, nullptr, me, "/tmp/"},
  };
  for (const auto& c : cases) {
    const std::string runtime = c.runtime && *c.runtime ? tmp / c.runtime : "";
    const TEnvVar r("XDG_RUNTIME_DIR", c.runtime ? runtime.c_str() : nullptr);
    const std::string tmpdirValue = c.tmpdir ? tmp / c.tmpdir : "";
    const TEnvVar t("TMPDIR", c.tmpdir ? tmpdirValue.c_str() : nullptr);
    EXPECT_EQ(TempFolder(c.user), c.expected) << (c.runtime ? c.runtime : "(unset)") << " uid " << c.user;
  }
}

TEST(WorkFolder, ARootNotOursIsNeverEnteredAndTheRunGoesOnInAFreshOne) {
  TTempDir tmp;
  const uid_t me = geteuid();
  // Another account: a real one when the tests run as root, else this account seen as a
  // stranger by telling the folder that it works for someone else.
  const bool asRoot = me == 0;
  const struct { const char* what; uid_t user; } cases[] = {
      {"link", me}, {"file", me}, {"open to others", me}, {"another owner", asRoot ? me : me + 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string root = tmp / "R";
    mkdir((tmp / "elsewhere").c_str(), 0700);
    kytest::WriteFile(tmp / "elsewhere/keep", "x");
    const std::string what = c.what;
    if (what == "link") {
      symlink((tmp / "elsewhere").c_str(), root.c_str());
    } else if (what == "file") {
      kytest::WriteFile(root, "x");
    } else {
      mkdir(root.c_str(), 0700);
      mkdir((root + "/55").c_str(), 0700);  // looks like an ended run
      kytest::WriteFile(root + "/55/theirs", "x");
      kytest::WriteFile(root + "/stray", "x");
      if (what == "open to others") chmod(root.c_str(), 0777);
      if (what == "another owner" && asRoot) {
        ASSERT_EQ(chown(root.c_str(), 65534, 65534), 0);
      }
    }
    const std::string before = Snapshot(tmp.Path(), "R");

    TWorkFolder w(root, 55, c.user);
    testing::internal::CaptureStderr();
    w.CleanWorkRoot();
    const std::string folder = w.GetWorkFolder();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("kysaver: " + root + " "), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;

    EXPECT_EQ(w.Root().rfind(root + ".", 0), 0u) << w.Root();
    EXPECT_EQ(folder, w.Root() + "/55/");
    struct stat st {};
    ASSERT_EQ(lstat(w.Root().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    kytest::WriteFile(folder + "KyC.res", "mine");
    EXPECT_EQ(kytest::ReadFile(folder + "KyC.res"), "mine");
    EXPECT_EQ(Snapshot(tmp.Path(), "R"), before);

    const std::string fresh = w.Root();
    unlink((folder + "KyC.res").c_str());
    w.RemoveProcessFolder();
    w.CleanWorkRoot();
    EXPECT_FALSE(Exists(fresh));
    EXPECT_EQ(Snapshot(tmp.Path(), "R"), before);
    kytest::RunCommand("chmod -R u+rwx '" + tmp.Path() + "'; rm -rf '" + root + "' '" + tmp / "elsewhere" + "'");
  }
}

TEST(WorkFolder, ManyRunsStartingAtOnceKeepTheirFolders) {
  TTempDir tmp;
  const std::string root = tmp / "Um9vdA";
  kytest::WriteFile(tmp / "beside", "not the saver's");
  constexpr int kRuns = 20;
  constexpr int kRounds = 150;
  std::vector<pid_t> children;
  for (int i = 0; i < kRuns; ++i) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Each round is one run: clean at start, make the folder, put a file in it, let the
      // others clean, and find everything still there.
      int failures = 0;
      for (int round = 0; round < kRounds; ++round) {
        TWorkFolder w(root, 100000 + i * kRounds + round);
        w.CleanWorkRoot();
        std::string folder;
        try {
          folder = w.GetWorkFolder();
        } catch (const std::exception&) {
          ++failures;
          continue;
        }
        const int fd = openat(w.Fd(), "KyC.res", O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) ++failures;
        else close(fd);
        w.CleanWorkRoot();
        if (!Exists(folder + "KyC.res") || !Exists(folder + kLockFileName)) ++failures;
        unlinkat(w.Fd(), "KyC.res", 0);
        w.RemoveProcessFolder();
      }
      _exit(failures == 0 ? 0 : 1);
    }
    children.push_back(child);
  }
  // Waits for every child, up to a deadline far beyond what the runs need.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  int failed = 0;
  size_t done = 0;
  while (done < children.size() && std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    const pid_t ended = waitpid(-1, &status, WNOHANG);
    if (ended > 0) {
      ++done;
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failed;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  for (const pid_t c : children) kill(c, SIGKILL);
  while (waitpid(-1, nullptr, WNOHANG) > 0) {}
  EXPECT_EQ(done, children.size()) << "runs still going at the deadline";
  EXPECT_EQ(failed, 0) << "runs that lost their folder or could not make it";
  EXPECT_EQ(kytest::ReadFile(tmp / "beside"), "not the saver's");
  // Nothing half-made is left behind: one more start removes the whole root.
  TWorkFolder(root, 1).CleanWorkRoot();
  EXPECT_FALSE(Exists(root));
}
