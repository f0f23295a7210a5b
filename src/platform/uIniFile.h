#pragma once
// An INI text with the semantics of Windows profile functions: section and key names
// compare without regard to case, keys stay in file order, the first "=" of a line splits key
// and value, the first of duplicate keys wins and any integer other than 0 reads as true.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ky {

class TIniFile {
 public:
  TIniFile();
  ~TIniFile();
  TIniFile(TIniFile&&) noexcept;
  TIniFile& operator=(TIniFile&&) noexcept;

  // A missing or unreadable file gives an empty INI.
  static TIniFile FromFile(const std::string& path);
  static TIniFile FromText(std::string_view text);

  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  bool SectionExists(std::string_view section) const;
  // The key names of a section in file order (the first spelling of each).
  std::vector<std::string> SectionKeys(std::string_view section) const;
  std::vector<std::string> Sections() const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Removes the section with all its keys (nothing when there is none).
  void EraseSection(std::string_view section);

  std::string ToText() const;
  // Writes the text to a new file beside `path` and renames it over `path`, so a reader sees
  // the old file or the new one, never a part. An existing file keeps its permissions; a missing
  // folder is created. Throws TKyError "Unable to write to <path>" on any failure, and then
  // leaves `path` as it was.
  void SaveToFile(const std::string& path) const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace ky
