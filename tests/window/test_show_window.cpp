// The player's modes run in this process on Qt's offscreen platform, each in a child of its own
// (the termination signals and the application object are once per process). A hook that Qt
// runs when the application object is made watches the show window from inside its event loop.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "app/uKySaverApp.h"
#include "platform/uSignals.h"
#include "saver/window/uQtModes.h"
#include "saver/window/uShowWindow.h"
#include "testutil.h"

using kytest::RunCommand;
using kytest::TTempDir;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";
const std::string kPlayer = KY_BINARY_DIR "/bin/kysaver";

enum class TEnding { Term, Int, Hup, WindowClose };

struct TEndingCase {
  const char* name;
  TEnding ending;
};
const TEndingCase kEndings[] = {
    {"SIGTERM", TEnding::Term}, {"SIGINT", TEnding::Int}, {"SIGHUP", TEnding::Hup}, {"window close", TEnding::WindowClose}};

// The child's plan: how the show is to be ended once it is inside a transition. Set in the
// child only, before its application object exists.
TEnding gEnding = TEnding::Term;
bool gEndedInTransition = false;

void EndTheShow(ky::TShowWindow& show) {
  switch (gEnding) {
    case TEnding::Term: raise(SIGTERM); break;
    case TEnding::Int: raise(SIGINT); break;
    case TEnding::Hup: raise(SIGHUP); break;
    case TEnding::WindowClose: show.close(); break;
  }
}

// Runs at every pass of the event loop (the transition lets events run) until the show is in
// a transition, then ends it from there.
void WatchForTransition() {
  auto* timer = new QTimer(QCoreApplication::instance());
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, [timer] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* show = dynamic_cast<ky::TShowWindow*>(w);
      if (!show || !show->Show().InTransition()) continue;
      timer->stop();
      gEndedInTransition = true;
      EndTheShow(*show);
      return;
    }
  });
  timer->start();
}

// Runs body in a child with the environment a user's start would give it; returns its exit
// status (128 + signal when it died of one), or -1 when it is still running after the deadline.
int InChild(const TTempDir& dir, const std::function<int()>& body, const std::string& stderrFile = "/dev/null") {
  const pid_t pid = fork();
  if (pid == 0) {
    const int err = open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(err, 2);
    setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    setenv("HOME", (dir / "home").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    _exit(body());
  }
  for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60); std::chrono::steady_clock::now() < deadline;) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// The player's own start: termination handlers, the windows, the body.
int RunPlayer(const std::string& saver, const std::vector<std::string>& args, ky::TQtModeWindows::TErrorBox box = {}) {
  ky::InstallTerminationHandlers();
  std::string name = "kysaver";
  char* argv[] = {name.data(), nullptr};
  int argc = 1;
  ky::TQtModeWindows windows(argc, argv, std::move(box));
  return ky::RunMain(args, saver, windows);
}

class ShowWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"tmp", "home", "runtime"}) mkdir((dir / sub).c_str(), 0700);
    std::string out;
    ASSERT_EQ(RunCommand("cd '" + dir.Path() + "' && convert -size 64x48 xc:'#ff0000' red.bmp && convert -size 64x48 xc:'#0000ff' blue.jpg"
                         " && convert -size 64x48 xc:'#208020' -fill '#3050a0' -draw 'rectangle 0,24 63,47' lake.png"
                         " && convert -size 64x48 xc:black -fill '#0000ff' -draw 'rectangle 0,24 63,47' lake-mask.png", &out), 0) << out;
    kytest::WriteFile(dir / "lake.ini",
                      "[Scene]\nTitle=Lake\nPhoto=lake.png\nMask=lake-mask.png\nPreviewWidth=32\n"
                      "[Wave1]\nAmplitude=3\nFrequency=10\nPhaseSpeed=15\nDirection=1\nAnimated=1\nPerspective=1\nCycle=360\n");
    ASSERT_EQ(RunCommand(kTool + " scene '" + dir / "lake.ini" + "' -o '" + dir / "lake.kyp" + "'", &out), 0) << out;
  }
  // A saver that shows red.bmp, then after `duration` seconds changes to `second` in a
  // transition of a minute.
  std::string BuildSaver(const std::string& second, int duration) {
    const std::string name = second.substr(0, second.find('.')) + std::to_string(duration);
    kytest::WriteFile(dir / (name + ".ini"), "[Default]\nShowImageMode=1\nDuration=" + std::to_string(duration) +
                                                 "\nTransition=1\nTransitionTime=60000\nTransitionEffects=1\n"
                                                 "[Pictures]\nred.bmp\n" + second + "\n");
    std::string out;
    EXPECT_EQ(RunCommand(kTool + " build '" + dir / (name + ".ini") + "' -o '" + dir / (name + ".scr") + "'", &out), 0) << out;
    return dir / (name + ".scr");
  }
  // What the player left behind: its working folder lives under XDG_RUNTIME_DIR (private to
  // the user here), and TMPDIR must stay untouched as well.
  std::string Left() const {
    std::string out;
    RunCommand("cd '" + dir.Path() + "' && find tmp runtime -mindepth 1 | sort | tr '\\n' ' '", &out);
    return out;
  }
  TTempDir dir;
};

}  // namespace

// Every ending only asks the show to close; the teardown waits until the transition has
// handed control back, whether it runs in the very first frame step (the picture changes at
// once) or in a step of the event loop.
TEST_F(ShowWindowTest, EndingInsideATransitionClosesCleanly) {
  for (const char* second : {"lake.kyp", "blue.jpg"})
    for (const int duration : {0, 1}) {
      const std::string saver = BuildSaver(second, duration);
      for (const TEndingCase& e : kEndings) {
        RunCommand("rm -rf '" + dir / "tmp" + "'/* '" + dir / "runtime" + "'/*");
        const int status = InChild(dir, [&] {
          gEnding = e.ending;
          qAddPreRoutine(&WatchForTransition);
          const int s = RunPlayer(saver, {"/S"});
          return gEndedInTransition ? s : 99;
        });
        EXPECT_EQ(status, 0) << e.name << " into " << second << " after " << duration << " s (99: no transition was seen)";
        EXPECT_EQ(Left(), "") << e.name << " into " << second << " after " << duration << " s";
      }
    }
}

// A player without a package cannot run any mode: the message goes to stderr and to the error
// box, which here records it (offscreen, no user could click one).
TEST_F(ShowWindowTest, FatalErrorsReachTheBoxInEveryMode) {
  const std::vector<std::vector<std::string>> modes = {{"/S"}, {"/C"}, {}, {"-root"}, {"/P", "0x1"}};
  for (const auto& args : modes) {
    const std::string what = args.empty() ? "(none)" : args[0];
    const int status = InChild(dir, [&] {
      return RunPlayer(kPlayer, args, [&](const std::string& message) {
        kytest::WriteFile(dir / "box", message);
      });
    }, dir / "stderr");
    EXPECT_EQ(status, 1) << what;
    const std::string err = kytest::ReadFile(dir / "stderr");
    EXPECT_EQ(err.rfind("kysaver: ", 0), 0u) << what << ": " << err;
    EXPECT_NE(err.find("no saver package"), std::string::npos) << what << ": " << err;
    const std::string box = kytest::ReadFile(dir / "box");
    EXPECT_NE(box.find("no saver package"), std::string::npos) << what << ": the box said \"" << box << "\"";
    EXPECT_EQ(err, "kysaver: " + box + "\n") << what;
    std::remove((dir / "box").c_str());
    // The preview keeps its folder for the next start to remove, also after an error.
    if (what != "/P") {
      EXPECT_EQ(Left(), "") << what;
    }
  }
}
