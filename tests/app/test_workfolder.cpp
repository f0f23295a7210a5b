#include <fcntl.h>
#include <limits.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(WorkFolder, RefusesARootThatIsALinkOrNotOurs) {
  TTempDir tmp;
  mkdir((tmp / "elsewhere").c_str(), 0755);
  kytest::WriteFile(tmp / "elsewhere/keep", "x");
  symlink((tmp / "elsewhere").c_str(), (tmp / "linked").c_str());
  kytest::WriteFile(tmp / "plainfile", "x");
  for (const char* root : {"linked", "plainfile"}) {
    TWorkFolder w(tmp / root, 1);
    EXPECT_THROW(w.GetWorkFolder(), TKyError) << root;
    EXPECT_THROW(w.CleanWorkRoot(), TKyError) << root;
  }
  EXPECT_TRUE(Exists(tmp / "elsewhere/keep"));
  EXPECT_FALSE(Exists(tmp / "elsewhere/1"));
  if (geteuid() == 0) {
    mkdir((tmp / "foreign").c_str(), 0700);
    ASSERT_EQ(chown((tmp / "foreign").c_str(), 65534, 65534), 0);
    kytest::WriteFile(tmp / "foreign/theirs", "x");
    TWorkFolder w(tmp / "foreign", 1);
    EXPECT_THROW(w.GetWorkFolder(), TKyError);
    EXPECT_THROW(w.CleanWorkRoot(), TKyError);
    EXPECT_TRUE(Exists(tmp / "foreign/theirs"));
  }
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
