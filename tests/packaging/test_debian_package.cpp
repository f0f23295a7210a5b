// The Debian package as scripts/package builds it, unpacked into a temporary root (dpkg-deb -x):
// its files, its dependencies, and its programs at work.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "testutil.h"

using kytest::RunCommand;
using kytest::TTempDir;

namespace {

class PackageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Dir = new TTempDir;
    std::string out;
    Status = RunCommand("bash '" KY_SOURCE_DIR "/scripts/package' --build-dir '" KY_BINARY_DIR "' --out '" + *Dir / "out" + "'", &out);
    Deb = out.substr(0, out.find('\n'));
    Log = out;
    if (Status == 0) RunCommand("dpkg-deb -x '" + Deb + "' '" + *Dir / "root" + "'", &out);
  }
  static void TearDownTestSuite() {
    delete Dir;
    Dir = nullptr;
  }
  void SetUp() override { ASSERT_EQ(Status, 0) << Log; }
  static std::string Root(const std::string& path) { return *Dir / "root" + path; }

  static TTempDir* Dir;
  static int Status;
  static std::string Deb, Log;
};
TTempDir* PackageTest::Dir = nullptr;
int PackageTest::Status = -1;
std::string PackageTest::Deb, PackageTest::Log;

}  // namespace

TEST_F(PackageTest, HoldsTheProgramsManPagesDocumentsAndSharedFolder) {
  EXPECT_EQ(Deb.substr(Deb.rfind('/') + 1, 14), "kysaver_0.1.0_");
  std::string listing;
  ASSERT_EQ(RunCommand("cd '" + *Dir / "root" + "' && find . -mindepth 1 | sort | tr '\\n' ' '", &listing), 0);
  for (const char* path :
       {"./usr/bin/kysaver ", "./usr/bin/kysaver-tool ", "./usr/share/man/man1/kysaver.1.gz ", "./usr/share/man/man1/kysaver-tool.1.gz ",
        "./usr/share/doc/kysaver/copyright ", "./usr/share/doc/kysaver/README.md ", "./usr/share/doc/kysaver/using-savers.md ",
        "./usr/share/doc/kysaver/authoring.md ",
        "./usr/share/kysaver/Common/images ", "./usr/share/kysaver/Common/sounds "})
    EXPECT_NE(listing.find(path), std::string::npos) << path << " in " << listing;
  // Every picture a guide shows is there with it.
  std::string missing;
  ASSERT_EQ(RunCommand("cd '" + Root("/usr/share/doc/kysaver") + "' && grep -oh '](authoring/[^)]*)' *.md | tr -d '()]' | sort -u |"
                       " while read -r f; do [ -f \"$f\" ] || echo \"$f\"; done",
                       &missing),
            0);
  EXPECT_EQ(missing, "");
  std::string pictures;
  RunCommand("ls '" + Root("/usr/share/doc/kysaver/authoring") + "' | grep -c '[.]png$'", &pictures);
  EXPECT_GT(std::atoi(pictures.c_str()), 0);
  // The man pages are real pages: man reads them and finds their sections.
  std::string page;
  ASSERT_EQ(RunCommand("MANWIDTH=200 man -l '" + Root("/usr/share/man/man1/kysaver.1.gz") + "' | col -b", &page), 0) << page;
  for (const char* heading : {"NAME", "SYNOPSIS", "OPTIONS", "--install", "--uninstall", "-root", "FILES"})
    EXPECT_NE(page.find(heading), std::string::npos) << heading;
}

TEST_F(PackageTest, DependsOnTheLibrariesTheProgramsLink) {
  std::string depends, needed;
  ASSERT_EQ(RunCommand("dpkg-deb -f '" + Deb + "' Depends", &depends), 0);
  // Every library the player and the tool load, found independently with objdump, comes from a
  // package the control file names.
  ASSERT_EQ(RunCommand("objdump -p '" + Root("/usr/bin/kysaver") + "' '" + Root("/usr/bin/kysaver-tool") +
                           "' | awk '/NEEDED/ {print $2}' | sort -u",
                       &needed),
            0);
  ASSERT_FALSE(needed.empty());
  for (size_t at = 0; at < needed.size();) {
    const size_t end = needed.find('\n', at);
    const std::string lib = needed.substr(at, end - at);
    at = end + 1;
    std::string owner;
    // Debian 12 merged /lib into /usr/lib, and dpkg knows some files by their older path.
    ASSERT_EQ(RunCommand("p=$(readlink -f \"$(ldconfig -p | awk -v l='" + lib +
                             "' '$1 == l {print $NF; exit}')\"); { dpkg -S \"$p\" || dpkg -S \"${p#/usr}\"; } 2>/dev/null"
                             " | cut -d: -f1 | head -n1",
                         &owner),
              0)
        << lib;
    owner = owner.substr(0, owner.find('\n'));
    ASSERT_FALSE(owner.empty()) << "no package holds " << lib;
    EXPECT_NE(depends.find(owner), std::string::npos) << lib << " (" << owner << ") is not in: " << depends;
  }
  EXPECT_NE(depends.find("qt6-qpa-plugins"), std::string::npos) << "the X11 platform plugin";
}

TEST_F(PackageTest, InstalledToolBuildsASaverThatRuns) {
  std::string out;
  ASSERT_EQ(RunCommand("'" + Root("/usr/bin/kysaver-tool") + "' --version", &out), 0) << out;
  EXPECT_EQ(out, "kysaver-tool 0.1.0\n");
  ASSERT_EQ(RunCommand("'" + Root("/usr/bin/kysaver") + "' --version", &out), 0) << out;
  EXPECT_EQ(out, "kysaver 0.1.0\n");

  const std::string work = *Dir / "work";
  mkdir(work.c_str(), 0700);
  mkdir((work + "/home").c_str(), 0700);
  kytest::WriteBmp24(work + "/green.bmp", 40, 30, [](int, int) { return 0x20C040u; });
  kytest::WriteFile(work + "/saver.ini", "[General]\nProductName=Green\n[Default]\nStretch=1\n[Pictures]\ngreen.bmp\n");
  // The tool takes the player beside itself: the installed one.
  ASSERT_EQ(RunCommand("cd '" + work + "' && '" + Root("/usr/bin/kysaver-tool") + "' build saver.ini -o Green.scr", &out), 0) << out;
  ASSERT_EQ(RunCommand("cmp -n 596 '" + Root("/usr/bin/kysaver") + "' '" + work + "/Green.scr'", &out), 0) << out;

  const std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY HOME='" + work + "/home' TMPDIR='" + work + "' XDG_RUNTIME_DIR= ";
  ASSERT_EQ(RunCommand(env + "'" + work + "/Green.scr' --install", &out), 0) << out;
  EXPECT_EQ(out.rfind("Green: added to " + work + "/home/.xscreensaver as hack ", 0), 0u) << out;
  const std::string defaults = "/etc/X11/app-defaults/XScreenSaver";
  if (access(defaults.c_str(), R_OK) == 0) {
    // Made from the system's list: every hack of it, then this one.
    std::string count;
    ASSERT_EQ(RunCommand("grep -c -- '--root.*\\\\n' " + defaults, &count), 0);
    const int system = std::stoi(count);
    EXPECT_NE(out.find(" as hack " + std::to_string(system + 1) + " (made with the hacks of " + defaults + ")"), std::string::npos)
        << out << " after " << system << " hacks";
  }
  ASSERT_EQ(RunCommand(env + "'" + work + "/Green.scr' --uninstall", &out), 0) << out;
  std::string left;
  RunCommand("cd '" + work + "/home' && find . -mindepth 1", &left);
  EXPECT_EQ(left, "");

  // The show, headless: its first frame is the picture.
  ASSERT_EQ(RunCommand(env + "'" + Root("/usr/bin/kysaver-tool") + "' render '" + work + "/Green.scr' --out '" + work +
                           "/frames' --frames 1 --size 64x48 --no-user-settings",
                       &out),
            0)
      << out;
  std::string pixel;
  ASSERT_EQ(RunCommand("cd '" + work + "/frames' && convert \"$(ls | head -n1)\" -crop 1x1+32+24 -depth 8 txt:- | grep -o '#[0-9A-F]\\{6\\}'", &pixel), 0)
      << pixel;
  EXPECT_EQ(pixel, "#20C040\n");
}
