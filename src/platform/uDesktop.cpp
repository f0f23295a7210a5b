#include "platform/uDesktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "platform/uFd.h"
#include "platform/uText.h"

extern char** environ;

namespace ky {

namespace {

int64_t NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1000000;
}

// A GVariant text string: single quotes, with \ and ' escaped.
std::string GVariantString(const std::string& s) {
  std::string r = "'";
  for (const char c : s) {
    if (c == '\\' || c == '\'') r += '\\';
    r += c;
  }
  r += '\'';
  return r;
}

std::string Trimmed(const std::string& s) { return std::string(Trim(s)); }

bool SetGnomeWallpaper(const std::string& path) {
  const std::string schema = "org.gnome.desktop.background";
  std::string keys;
  if (!RunProgram({"gsettings", "list-keys", schema}, &keys)) return false;
  const std::string uri = GVariantString(FileUri(path));
  if (!RunProgram({"gsettings", "set", schema, "picture-uri", uri})) return false;
  if (keys.find("picture-uri-dark") != std::string::npos)
    RunProgram({"gsettings", "set", schema, "picture-uri-dark", uri});
  // Tiling off; any other style stays as the user chose it.
  std::string options;
  if (RunProgram({"gsettings", "get", schema, "picture-options"}, &options)) {
    const std::string o = Trimmed(options);
    if (o == "'wallpaper'") RunProgram({"gsettings", "set", schema, "picture-options", "'centered'"});
    else if (o == "'none'") RunProgram({"gsettings", "set", schema, "picture-options", "'zoom'"});
  }
  return true;
}

bool SetXfceWallpaper(const std::string& path) {
  std::string list;
  if (!RunProgram({"xfconf-query", "-c", "xfce4-desktop", "-l"}, &list)) return false;
  bool any = false;
  for (const std::string& line : SplitLines(list)) {
    const std::string prop = Trimmed(line);
    const std::string suffix = "/last-image";
    if (prop.size() > suffix.size() && prop.compare(prop.size() - suffix.size(), suffix.size(), suffix) == 0) {
      any = RunProgram({"xfconf-query", "-c", "xfce4-desktop", "-p", prop, "-s", path}) || any;
      // image-style 2 is "tiled"; 1 is "centred".
      const std::string style = prop.substr(0, prop.size() - suffix.size()) + "/image-style";
      std::string value;
      if (RunProgram({"xfconf-query", "-c", "xfce4-desktop", "-p", style}, &value) && Trimmed(value) == "2")
        RunProgram({"xfconf-query", "-c", "xfce4-desktop", "-p", style, "-s", "1"});
    }
  }
  return any;
}

}  // namespace

bool RunProgram(const std::vector<std::string>& argv, std::string* output, int timeoutMs) {
  if (argv.empty()) return false;
  int pipeFds[2] = {-1, -1};
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  TFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
  TFd devNull(open("/dev/null", O_RDWR | O_CLOEXEC));
  if (devNull.Get() < 0) return false;

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  posix_spawn_file_actions_adddup2(&actions, devNull.Get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, devNull.Get(), STDERR_FILENO);
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  writeEnd.Reset();
  if (rc != 0) return false;

  std::string out;
  const int64_t deadline = NowMs() + timeoutMs;
  bool open = true;
  while (open) {
    const int64_t left = deadline - NowMs();
    if (left <= 0) break;
    pollfd p{readEnd.Get(), POLLIN, 0};
    const int r = poll(&p, 1, static_cast<int>(std::min<int64_t>(left, INT_MAX)));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    char buf[4096];
    const ssize_t n = read(readEnd.Get(), buf, sizeof buf);
    if (n > 0) {
      if (out.size() < (1u << 20)) out.append(buf, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      open = false;
    }
  }
  int status = 0;
  for (;;) {
    const pid_t w = waitpid(pid, &status, WNOHANG);
    if (w == pid) break;
    if (w < 0 && errno != EINTR) return false;
    if (NowMs() >= deadline) {
      // It did not answer in time: end it and collect it.
      kill(pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      return false;
    }
    usleep(2000);
  }
  if (output != nullptr) *output = std::move(out);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string FileUri(const std::string& absolutePath) {
  static const char* kHex = "0123456789ABCDEF";
  std::string r = "file://";
  for (const unsigned char c : absolutePath) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      r += static_cast<char>(c);
    } else {
      r += '%';
      r += kHex[c >> 4];
      r += kHex[c & 15];
    }
  }
  return r;
}

bool SetDesktopWallpaper(const std::string& path) {
  std::string full = path;
  if (char* real = realpath(path.c_str(), nullptr)) {
    full = real;
    std::free(real);
  }
  if (SetGnomeWallpaper(full)) return true;
  return SetXfceWallpaper(full);
}

}  // namespace ky
