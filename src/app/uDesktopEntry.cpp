#include "app/uDesktopEntry.h"

#include "platform/uError.h"

namespace ky {

namespace {

constexpr const char* kSaverKey = "X-KySaver-Saver=";

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// A value of type string or localestring: backslash escapes, one line.
std::string EscapeValue(const std::string& s) {
  std::string out;
  for (const char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n' || c == '\r' || c == '\t') out += ' ';
    else out += c;
  }
  return out;
}

// One argument of Exec: always quoted, with '"', '`', '$' and '\' escaped inside the quotes
// and '%' doubled, before the value's own escaping.
std::string ExecArgument(const std::string& s) {
  std::string quoted = "\"";
  for (const char c : s) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  return EscapeValue(quoted + "\"");
}

// The program of Exec. A "%" in it is written "%%", which some launchers look for on disk
// before they read it as "%": such a path is handed to env, which they do find.
std::string ExecProgram(const std::string& path) {
  const std::string quoted = ExecArgument(path);
  return path.find('%') == std::string::npos ? quoted : "env " + quoted;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string Slug(const std::string& s) {
  std::string out;
  bool dash = false;
  for (const char c : s) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (keep) {
      if (dash && !out.empty()) out += '-';
      dash = false;
      out += c;
    } else {
      dash = true;
    }
    if (out.size() >= 64) break;
  }
  return out;
}

}  // namespace

std::string DesktopEntryFileName(const std::string& productName, const std::string& saverPath, int suffix) {
  std::string slug = Slug(productName);
  if (slug.empty()) slug = Slug(BaseName(saverPath));
  if (slug.empty()) slug = "saver";
  if (suffix > 1) slug += "-" + std::to_string(suffix);
  return "kysaver-" + slug + ".desktop";
}

std::string DesktopEntryText(const std::string& productName, const std::string& saverPath) {
  for (const char c : saverPath)
    if (IsControl(c)) throw TKyError(saverPath + ": the saver's path holds a control character; a desktop entry cannot name it");
  std::string name = EscapeValue(productName);
  if (name.find_first_not_of(' ') == std::string::npos) name = EscapeValue(BaseName(saverPath));
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Version=1.4\n"
         "Name=" + name + "\n"
         "Comment=Settings of the screensaver " + name + "\n"
         "Exec=" + ExecProgram(saverPath) + " /C\n"
         "TryExec=" + EscapeValue(saverPath) + "\n"
         "Icon=preferences-desktop-screensaver\n"
         "Terminal=false\n"
         "Categories=Settings;DesktopSettings;\n"
         "Keywords=screensaver;\n" +
         kSaverKey + EscapeValue(saverPath) + "\n";
}

bool IsDesktopEntryOf(const std::string& text, const std::string& saverPath) {
  const std::string line = std::string(kSaverKey) + EscapeValue(saverPath) + "\n";
  for (size_t at = 0; at < text.size();) {
    if (text.compare(at, line.size(), line) == 0) return true;
    const size_t next = text.find('\n', at);
    if (next == std::string::npos) break;
    at = next + 1;
  }
  return false;
}

}  // namespace ky
