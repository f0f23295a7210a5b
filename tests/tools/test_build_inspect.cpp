// The saver as a user meets it: built by kysaver-tool, run as a program, inspected.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "package/uPackage.h"
#include "testutil.h"
#include "uSaverInspect.h"

using kytest::RunCommand;
using kytest::TTempDir;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";
const std::string kPlayer = KY_BINARY_DIR "/bin/kysaver";

std::string Listing(const std::string& dir, const std::string& except = "") {
  std::string out;
  RunCommand("cd '" + dir + "' && find . -mindepth 1 " + except + " | sort | tr '\\n' ' '", &out);
  return out;
}

class SaverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"a.jpg", "b.jpg", "c.bmp", "one.mp3", "two.ogg"})
      kytest::WriteFile(dir / f, std::string(100 + std::string(f).size(), f[0]));
    mkdir((dir / "music").c_str(), 0700);
    kytest::WriteFile(dir / "music/two.ogg", "ogg data");
    kytest::WriteFile(dir / "saver.ini",
                      "[General]\nProductName=Garden\n[Default]\nDuration=10\nStretch=0\n"
                      "[Pictures]\na.jpg\nb.jpg\n\nc.bmp\n[Music]\none.mp3\nmusic/two.ogg\n");
    mkdir((dir / "tmp").c_str(), 0700);
    mkdir((dir / "run").c_str(), 0700);
  }
  // Without a display and without Qt's headless platforms, as over ssh.
  std::string RunSaver(const std::string& exe, const std::string& args, int* status) {
    std::string out;
    *status = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR TMPDIR='" + dir / "tmp" + "' '" + exe + "' " + args, &out);
    return out;
  }
  // The configuration window on Qt's headless platform, until SIGTERM closes it.
  std::string RunConfigure(const std::string& exe, const std::string& args, int* status) {
    std::string out;
    // Qt's own note about the missing runtime folder is silenced; the player's messages stay.
    *status = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen "
                         "QT_LOGGING_RULES='default.warning=false' TMPDIR='" + dir / "tmp" +
                             "' timeout --preserve-status -s TERM 1 '" + exe + "' " + args,
                         &out);
    // Without XDG_RUNTIME_DIR, Qt makes its own runtime folder in TMPDIR, as in the show; that
    // folder is Qt's, not the player's working folder.
    RunCommand("rm -rf '" + dir / "tmp/runtime-root" + "'");
    return out;
  }
  TTempDir dir;
};

}  // namespace

TEST_F(SaverTest, BuiltSaverRunsItsModesAndLeavesNothing) {
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Garden.scr" + "'", &out), 0) << out;
  struct stat st {};
  ASSERT_EQ(stat((dir / "Garden.scr").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);

  ASSERT_EQ(RunCommand(kTool + " inspect --json '" + dir / "Garden.scr" + "'", &out), 0) << out;
  for (const char* expected :
       {"\"Names\":[\"a.jpg\",\"b.jpg\",\"c.bmp\"]", "\"Flags\":[\"TRUE\",\"TRUE\",\"TRUE\"]", "\"ProductName\":\"Garden\"",
        "\"Duration\":10", "\"Stretch\":false", "\"MusicFile\":\"one.mp3;two.ogg;\"", "\"SectionCount\":4",
        "{\"Name\":\"a.jpg\",\"Kind\":\"picture\",\"Size\":105}", "{\"Name\":\"c.bmp\",\"Kind\":\"picture\",\"Size\":105}",
        "{\"Name\":\"two.ogg\",\"Kind\":\"music\",\"Size\":8}"})
    EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;

  int status = -1;
  for (const char* mode : {"/x", "/a 123"}) {
    out = RunSaver(dir / "Garden.scr", mode, &status);
    EXPECT_EQ(status, 0) << mode << ": " << out;
    EXPECT_EQ(out, "") << mode;
    EXPECT_EQ(Listing(dir / "tmp"), "") << mode;
  }
  // The configuration window needs a display, as the show does; on the headless platform it
  // stays open until SIGTERM closes it.
  for (const char* mode : {"/C", ""}) {
    out = RunSaver(dir / "Garden.scr", mode, &status);
    EXPECT_EQ(status, 1) << mode << ": " << out;
    EXPECT_EQ(out, "kysaver: no display to show the saver on\n") << mode;
    EXPECT_EQ(Listing(dir / "tmp"), "") << mode;
    out = RunConfigure(dir / "Garden.scr", mode, &status);
    EXPECT_EQ(status, 0) << mode << ": " << out;
    EXPECT_EQ(Listing(dir / "tmp"), "") << mode;
  }
  // The show runs on Qt's headless platform until SIGTERM ends it cleanly.
  for (const char* mode : {"/S", "-s"}) {
    status = RunCommand("QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR='" + dir / "run" + "' TMPDIR='" + dir / "tmp" + "' timeout --preserve-status -s TERM 1 '" +
                            dir / "Garden.scr" + "' " + mode, &out);
    EXPECT_EQ(status, 0) << mode << ": " << out;
    EXPECT_EQ(Listing(dir / "tmp"), "") << mode;
    // Where this show's working folder is; "pulse" is the sound server client's own folder there.
    EXPECT_EQ(Listing(dir / "run", "-not -path './pulse' -not -path './pulse/*'"), "") << mode;
  }
  // A preview without a preview picture draws nothing and still removes what it unpacked.
  out = RunSaver(dir / "Garden.scr", "/p 1234", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out, "");
  EXPECT_EQ(Listing(dir / "tmp"), "");
  out = RunConfigure(dir / "Garden.scr", "/C", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Listing(dir / "tmp"), "");
}

TEST_F(SaverTest, ShowWithoutADisplaySaysSoAndCleansUp) {
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Garden.scr" + "'", &out), 0) << out;
  int status = -1;
  for (const char* mode : {"/S", "-root"}) {
    out = RunSaver(dir / "Garden.scr", mode, &status);
    EXPECT_EQ(status, 1) << mode;
    EXPECT_EQ(out, "kysaver: no display to show the saver on\n") << mode;
    EXPECT_EQ(Listing(dir / "tmp"), "") << mode;
  }
}

TEST_F(SaverTest, HelpAndVersion) {
  std::string out;
  EXPECT_EQ(RunCommand(kPlayer + " --help", &out), 0);
  for (const char* s : {"/S", "/C", "/P WINDOW", "-root", "-window-id ID"}) EXPECT_NE(out.find(s), std::string::npos) << s;
  EXPECT_EQ(RunCommand(kPlayer + " --version", &out), 0);
  EXPECT_EQ(out.rfind("kysaver ", 0), 0u) << out;
  EXPECT_EQ(Listing(dir / "tmp"), "");
}

TEST_F(SaverTest, PlayerWithoutPackageSaysSo) {
  int status = -1;
  const std::string out = RunSaver(kPlayer, "/S", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("kysaver: "), std::string::npos) << out;
  EXPECT_NE(out.find("holds no saver package"), std::string::npos) << out;
  EXPECT_EQ(Listing(dir / "tmp"), "");
}

TEST_F(SaverTest, BuildErrorsNameTheFaultyPart) {
  const struct { const char* manifest; const char* message; } cases[] = {
      {"[Pictures]\nmissing.jpg\n", "missing.jpg: file not found"},
      {"[Default]\nDurashun=5\n[Pictures]\na.jpg\n", "unknown key \"Durashun\" in [Default]"},
      {"[Default]\nDuration=long\n[Pictures]\na.jpg\n", "Duration = \"long\" is not a number"},
      {"[Pictures]\na.jpg\nsub/a.jpg\n", "two files share the name \"a.jpg\""},
      {"[General]\nProductName=x\n", "lists no picture"},
      {nullptr, "the saver would hold 10001 media files, more than the 10000 a saver may hold"},
  };
  std::string tooMany = "[Pictures]\n";
  for (int i = 0; i <= 10000; ++i) tooMany += std::to_string(i) + ".jpg\n";
  kytest::WriteFile(dir / "missing-ui.ini", "");
  for (const auto& c : cases) {
    const std::string manifest = c.manifest ? c.manifest : tooMany;
    kytest::WriteFile(dir / "bad.ini", manifest);
    std::string out;
    EXPECT_EQ(RunCommand(kTool + " build '" + dir / "bad.ini" + "' -o '" + dir / "Bad.scr" + "'", &out), 1) << c.message;
    EXPECT_NE(out.find(c.message), std::string::npos) << out;
    EXPECT_FALSE(kytest::Exists(dir / "Bad.scr"));
  }
}

TEST_F(SaverTest, InspectRefusesMalformedFiles) {
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Garden.scr" + "'", &out), 0) << out;
  const std::string whole = kytest::ReadFile(dir / "Garden.scr");
  kytest::WriteFile(dir / "cut.scr", whole.substr(0, whole.size() - 50));
  kytest::WriteFile(dir / "none.scr", "just bytes");
  const struct { const char* file; const char* message; } cases[] = {
      {"cut.scr", "truncated"}, {"none.scr", "holds no saver package"}, {"absent.scr", "cannot open"}};
  for (const auto& c : cases) {
    EXPECT_EQ(RunCommand(kTool + " inspect '" + dir / c.file + "'", &out), 1) << c.file;
    EXPECT_NE(out.find(c.message), std::string::npos) << out;
  }
}

namespace {

// What other programs keep in the temporary folder: a file, a folder named like a process
// folder, and a socket.
void PlantOthersFiles(const std::string& tmp) {
  kytest::WriteFile(tmp + "/other-program.txt", "theirs");
  mkdir((tmp + "/4242").c_str(), 0700);
  kytest::WriteFile(tmp + "/4242/data", "theirs");
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr {};
  addr.sun_family = AF_UNIX;
  const std::string path = tmp + "/socket";
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0) << path;
  close(s);
}

// Every entry below dir (but those whose path starts with skip), with type, mode, owner, size
// and link target.
std::string Snapshot(const std::string& dir, const std::string& skip = "") {
  std::string out;
  RunCommand("cd '" + dir + "' && find . -mindepth 1 " + (skip.empty() ? "" : "-not -path './" + skip + "*' ") +
                 "-printf '%p %y %m %U %s %l\\n' | sort",
             &out);
  return out;
}

}  // namespace

TEST_F(SaverTest, NameStartingWithADotLeavesTheTemporaryFolderAlone) {
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / ".hidden.scr" + "'", &out), 0) << out;
  PlantOthersFiles(dir / "tmp");
  const std::string before = Snapshot(dir / "tmp");
  int status = -1;
  for (const char* mode : {"/C", "/p 1234", "/C"}) {
    out = std::string(mode) == "/C" ? RunConfigure(dir / ".hidden.scr", mode, &status) : RunSaver(dir / ".hidden.scr", mode, &status);
    EXPECT_EQ(status, 0) << mode << ": " << out;
    EXPECT_EQ(out, "") << mode;
    EXPECT_EQ(Snapshot(dir / "tmp", "kysaver"), before) << mode;
  }
  EXPECT_EQ(Snapshot(dir / "tmp"), before);  // the last start cleaned up what the preview left
}

TEST_F(SaverTest, RootPlantedByAnotherAccountStopsNoRun) {
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Garden.scr" + "'", &out), 0) << out;
  const std::string root = dir / "tmp/R2FyZGVu";  // Base64 of "Garden"
  mkdir((dir / "elsewhere").c_str(), 0700);
  kytest::WriteFile(dir / "elsewhere/keep", "x");
  // Another owner needs root to plant; a folder anyone may write to is foreign for every user.
  std::vector<std::string> plantings = {"link", "open to others"};
  if (geteuid() == 0) plantings.push_back("another owner");
  for (const std::string& planting : plantings) {
    SCOPED_TRACE(planting);
    if (planting == "link") {
      symlink((dir / "elsewhere").c_str(), root.c_str());
    } else {
      mkdir(root.c_str(), 0700);
      mkdir((root + "/77").c_str(), 0700);
      kytest::WriteFile(root + "/77/KyC.res", "theirs");
      if (planting == "open to others") chmod(root.c_str(), 0777);
      else ASSERT_EQ(chown(root.c_str(), 65534, 65534), 0);
    }
    const std::string before = Snapshot(dir / "tmp", "R2FyZGVu.") + Snapshot(dir / "elsewhere");
    int status = -1;
    for (const char* mode : {"/C", "/p 1234", "/C"}) {
      out = std::string(mode) == "/C" ? RunConfigure(dir / "Garden.scr", mode, &status) : RunSaver(dir / "Garden.scr", mode, &status);
      EXPECT_EQ(status, 0) << mode << ": " << out;
      EXPECT_EQ(out.rfind("kysaver: " + root + " ", 0), 0u) << mode << ": " << out;
      EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << mode << ": " << out;
      EXPECT_EQ(Snapshot(dir / "tmp", "R2FyZGVu.") + Snapshot(dir / "elsewhere"), before) << mode;
    }
    RunCommand("rm -rf '" + root + "' '" + root + "'.*");
  }
}

TEST_F(SaverTest, TwentyStartsAtOnceAllWork) {
  std::string out;
  ASSERT_EQ(RunCommand(kTool + " build '" + dir / "saver.ini" + "' -o '" + dir / "Garden.scr" + "'", &out), 0) << out;
  PlantOthersFiles(dir / "tmp");
  const std::string before = Snapshot(dir / "tmp");
  mkdir((dir / "runs").c_str(), 0700);
  // The previews start together; each extracts its files and reads them back, so a run whose
  // folder another start's cleaning took ends with status 1. `wait` returns when all are done.
  const std::string one = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR TMPDIR='" +
                          dir / "tmp" + "' '" + dir / "Garden.scr" + "' /p 1234";
  kytest::WriteFile(dir / "runs/all.sh", "cd '" + dir / "runs" + "' || exit 1\nfor i in $(seq 20); do (" + one +
                                             " >out.$i 2>&1; echo $? >rc.$i) & done\nwait\n");
  ASSERT_EQ(RunCommand("timeout 240 sh '" + dir / "runs/all.sh" + "'", &out), 0) << out;
  for (int i = 1; i <= 20; ++i) {
    EXPECT_EQ(kytest::ReadFile(dir / "runs/rc." + std::to_string(i)), "0\n") << "run " << i;
    EXPECT_EQ(kytest::ReadFile(dir / "runs/out." + std::to_string(i)), "") << "run " << i;
  }
  EXPECT_EQ(Snapshot(dir / "tmp", "R2FyZGVu"), before);
  int status = -1;
  out = RunConfigure(dir / "Garden.scr", "/C", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(Snapshot(dir / "tmp"), before);
}

TEST(Inspect, NamesFromThePackageCannotDriveTheTerminal) {
  TTempDir dir;
  const std::string evil = "a\x1b]0;title\x07" "b\x1b[2J\x7f\xc2\x9b" "31m\tc.jpg";
  const std::string project = ky::BuildPackage(
      {"[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n" + evil + "=1\r\n", "[General]\r\nProductName=" + evil + "\r\n",
       "[UI]\r\nUIFile=" + evil + "\r\n"});
  kytest::WriteFile(dir / "evil.scr", "player" + ky::BuildPackage({project, evil, ky::BuildPackage({"data"}), ""}));
  const std::string text = ky::InspectSaver(dir / "evil.scr", false);
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    EXPECT_TRUE(c >= 0x20 || c == '\n') << "control " << int(c) << " at " << i;
    EXPECT_NE(c, 0x7F) << "at " << i;
    if (c == 0xC2 && i + 1 < text.size()) {
      EXPECT_FALSE((static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) << "C1 at " << i;
    }
  }
  EXPECT_NE(text.find("a\\x1b]0;title\\x07b\\x1b[2J\\x7f\\x9b31m\\x09c.jpg"), std::string::npos) << text;
  const std::string json = ky::InspectSaver(dir / "evil.scr", true);
  for (const char ch : json) {
    const auto c = static_cast<unsigned char>(ch);
    EXPECT_TRUE(c >= 0x20 || c == '\n') << "control " << int(c) << " in JSON";
    EXPECT_NE(c, 0x7F);
  }
  EXPECT_NE(json.find("a\\u001b]0;title\\u0007b"), std::string::npos) << json;
}
