#include "uIniFile.h"

// Names and values are kept as 8-bit bytes, so no character conversion is compiled in.
#define SI_NO_CONVERSION
// The Debian header keeps the template bodies behind this switch; this is their one user.
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "uError.h"
#include "uText.h"

namespace ky {

// CSimpleIniA compares names without regard to ASCII case and keeps bytes as they are
// (no UTF-8 conversion). Multi-key mode keeps duplicate keys; GetValue then returns the first
// one loaded, which is the profile functions' rule. Names are looked up trimmed, as they are
// stored trimmed.
struct TIniFile::TImpl {
  CSimpleIniA ini{/*a_bIsUtf8=*/false, /*a_bMultiKey=*/true, /*a_bMultiLine=*/false};
  TImpl() { ini.SetSpaces(false); }
};

TIniFile::TIniFile() : FImpl(std::make_unique<TImpl>()) {}
TIniFile::~TIniFile() = default;
TIniFile::TIniFile(TIniFile&&) noexcept = default;
TIniFile& TIniFile::operator=(TIniFile&&) noexcept = default;

namespace {

// A section or key name as SimpleIni stores it: without the spaces and tabs around it. Other
// control characters stay, so that every name the INI lists can be read back by that name.
std::string NameOf(std::string_view name) {
  const size_t first = name.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(name.substr(first, name.find_last_not_of(" \t") - first + 1));
}

// SimpleIni sets the current section before it checks that a "[" line is closed by "]", so the
// keys after an unclosed header would land in a section named by the raw text that follows it,
// line breaks included. Such a line is meant to be skipped (the keys after it stay in the
// section before it); it is removed here. SimpleIni also reads only up to a NUL byte, which the
// cut makes explicit, and drops a UTF-8 signature at the start, which is done here first so
// that a header right after it is checked too.
std::string WithoutUnclosedHeaders(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  constexpr std::string_view kSignature = "\xEF\xBB\xBF";
  if (text.substr(0, 3) == kSignature) text.remove_prefix(3);
  std::string out;
  out.reserve(text.size() + 1);
  // Bytes like a second signature belong to the text; a line break first keeps SimpleIni from
  // dropping them.
  if (text.substr(0, 3) == kSignature) out += '\n';
  size_t p = 0;
  while (p < text.size()) {
    const size_t end = std::min(text.find_first_of("\r\n", p), text.size());
    const std::string_view line = text.substr(p, end - p);
    const size_t first = line.find_first_not_of(" \t");
    bool unclosed = false;
    if (first != std::string_view::npos && line[first] == '[') {
      // A "[" with nothing after it on its line would make SimpleIni take the next line as
      // the section name.
      const size_t name = line.find_first_not_of(" \t", first + 1);
      unclosed = name == std::string_view::npos || line.find(']', name) == std::string_view::npos;
    }
    if (!unclosed) out.append(line);
    if (end < text.size()) out += text[end];
    p = end + 1;
  }
  return out;
}

}  // namespace

TIniFile TIniFile::FromText(std::string_view text) {
  TIniFile f;
  const std::string clean = WithoutUnclosedHeaders(text);
  if (!clean.empty()) f.FImpl->ini.LoadData(clean.data(), clean.size());
  return f;
}

TIniFile TIniFile::FromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return TIniFile();
  std::ostringstream ss;
  ss << in.rdbuf();
  return FromText(ss.str());
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const std::string s(NameOf(section)), k(NameOf(key));
  const char* v = FImpl->ini.GetValue(s.c_str(), k.c_str(), nullptr);
  return v ? std::string(v) : std::string(def);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  const std::string s(NameOf(section)), k(NameOf(key));
  const char* v = FImpl->ini.GetValue(s.c_str(), k.c_str(), nullptr);
  if (!v) return def;
  return ParseInteger(Trim(v)).value_or(def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  const std::string s(NameOf(section)), k(NameOf(key));
  return FImpl->ini.GetValue(s.c_str(), k.c_str(), nullptr) != nullptr;
}

bool TIniFile::SectionExists(std::string_view section) const {
  const std::string s(NameOf(section));
  return FImpl->ini.GetSection(s.c_str()) != nullptr;
}

std::vector<std::string> TIniFile::SectionKeys(std::string_view section) const {
  const std::string s(NameOf(section));
  CSimpleIniA::TNamesDepend keys;
  FImpl->ini.GetAllKeys(s.c_str(), keys);
  keys.sort(CSimpleIniA::Entry::LoadOrder());
  std::vector<std::string> out;
  for (const auto& e : keys) {
    const bool seen = std::any_of(out.begin(), out.end(),
                                  [&](const std::string& o) { return SameTextAscii(o, e.pItem); });
    if (!seen) out.emplace_back(e.pItem);
  }
  return out;
}

std::vector<std::string> TIniFile::Sections() const {
  CSimpleIniA::TNamesDepend sections;
  FImpl->ini.GetAllSections(sections);
  sections.sort(CSimpleIniA::Entry::LoadOrder());
  std::vector<std::string> out;
  for (const auto& e : sections) out.emplace_back(e.pItem);
  return out;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string s(NameOf(section)), k(NameOf(key)), v(value);
  // Replaces every earlier value of the key, as the profile functions do.
  FImpl->ini.SetValue(s.c_str(), k.c_str(), v.c_str(), nullptr, /*a_bForceReplace=*/true);
}

void TIniFile::EraseSection(std::string_view section) {
  const std::string s(NameOf(section));
  FImpl->ini.Delete(s.c_str(), nullptr, /*bRemoveEmpty=*/true);
}

namespace {

// Closes a file descriptor and removes the temporary file unless it was renamed into place.
class TTempFile {
 public:
  explicit TTempFile(std::string path) : FPath(std::move(path)) {
    FFd = open(FPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    FCreated = FFd >= 0;
  }
  ~TTempFile() {
    if (FFd >= 0) close(FFd);
    if (FCreated && !FKept) unlink(FPath.c_str());
  }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;

  bool Opened() const { return FFd >= 0; }
  int Fd() const { return FFd; }
  bool WriteAll(std::string_view data) {
    while (!data.empty()) {
      const ssize_t n = write(FFd, data.data(), data.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }
  bool Close() {
    const int fd = FFd;
    FFd = -1;
    return close(fd) == 0;
  }
  bool RenameTo(const std::string& target) {
    FKept = rename(FPath.c_str(), target.c_str()) == 0;
    return FKept;
  }

 private:
  std::string FPath;
  int FFd = -1;
  bool FCreated = false;
  bool FKept = false;
};

std::string TempNameBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

void TIniFile::SaveToFile(const std::string& path) const {
  const TKyError failure("Unable to write to " + path);
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty() && !std::filesystem::exists(folder, ec)) {
    std::filesystem::create_directories(folder, ec);
    if (ec) throw failure;
  }
  struct stat old {};
  const bool existed = stat(path.c_str(), &old) == 0;
  if (existed && !S_ISREG(old.st_mode)) throw failure;

  TTempFile temp(TempNameBeside(path));
  if (!temp.Opened()) throw failure;
  if (existed && fchmod(temp.Fd(), old.st_mode & 07777) != 0) throw failure;
  if (!temp.WriteAll(ToText()) || fsync(temp.Fd()) != 0 || !temp.Close()) throw failure;
  if (!temp.RenameTo(path)) throw failure;
}

std::string TIniFile::ToText() const {
  std::string out;
  FImpl->ini.Save(out, false);
  // SimpleIni drops a UTF-8 signature at the start of a text it reads, so a first key whose name
  // begins with those bytes would lose them when the text is read back; a line break keeps them.
  if (out.compare(0, 3, "\xEF\xBB\xBF") == 0) out.insert(0, "\n");
  return out;
}

}  // namespace ky
