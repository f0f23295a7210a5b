#include "uExtractPackage.h"

#include <fcntl.h>
#include <unistd.h>

#include "package/uPackage.h"
#include "platform/uError.h"
#include "platform/uText.h"

namespace ky {

namespace {

// The name list is plain text; a list this long is not a name list.
constexpr size_t kMaxNameList = 16u << 20;

std::vector<std::string> ReadNameList(const TWorkFolder& work) {
  return SplitLines(ReadWholeFile(work.Path() + kNameListFile, kMaxNameList));
}

// The lines SplitLines would make of the text, counted without making them.
size_t CountLines(std::string_view text) {
  size_t lines = 0;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    ++lines;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines + (start < text.size() ? 1 : 0);
}

// Refuses a name list that is too long or names too many files, before anything is written.
void CheckNameList(const std::string& exePath, const TPackageLayout& layout) {
  if (layout.Sections.size() < 2) return;
  const TSectionSpan& list = layout.Sections[1];
  if (list.Length > kMaxNameList)
    throw TKyError(exePath + ": the media name list is too large (" + std::to_string(list.Length) + " bytes)");
  const size_t names = CountLines(ReadFileRange(exePath, list.Offset, list.Length));
  if (names > kMaxMediaFiles)
    throw TKyError(exePath + ": the saver lists " + std::to_string(names) + " media files, more than the " +
                   std::to_string(kMaxMediaFiles) + " a saver may hold");
}

}  // namespace

std::string MediaDestinationName(const std::string& storedName) {
  std::string name = SafeMediaName(storedName);
  for (const char* reserved : {kProjectFile, kMediaBundleFile, kFinalFile, kNameListFile, kWindowFile, kLockFileName})
    if (name == reserved) return {};
  return name;
}

void ExtractPackage(TKyCProject& project, const std::string& exePath, TWorkFolder& work) {
  // Only the four sections of a saver are used, whatever the count says.
  const TPackageLayout layout = ReadPackageLayout(exePath, 0, UINT64_MAX, 4);
  if (!layout.Info.Found) throw TKyError(exePath + ": this file holds no saver package");
  CheckNameList(exePath, layout);
  const std::string folder = work.GetWorkFolder();
  const int fd = work.Fd();
  // The media bundle is split straight out of the executable, where it already lies whole, so
  // its bytes are written once instead of twice.
  ExtractSections(exePath, {{fd, kProjectFile}, {fd, kNameListFile}, {fd, ""}, {fd, kWindowFile}});

  std::vector<TSectionDestination> media;
  for (const std::string& line : ReadNameList(work)) media.push_back({fd, MediaDestinationName(line)});
  // A bundle that is missing leaves the media without files; the show skips what is not there.
  if (layout.Sections.size() >= 3) {
    const TSectionSpan& bundle = layout.Sections[2];
    ExtractSections(exePath, media, bundle.Offset, bundle.Offset + bundle.Length);
  }

  project.LoadFromFile(folder + kProjectFile);
  // Entries are bare names; a stored path is reduced the way the media files were.
  for (std::string& name : project.FileList().Names) name = folder + FileNamePart(name);
  std::string& preview = project.Setting().PreviewFile;
  if (!preview.empty()) preview = folder + FileNamePart(preview);
  project.UISetting().UIFile = folder + kWindowFile;
  const size_t slash = exePath.rfind('/');
  project.MediaFolders() = {folder, GetCommonFolder(exePath), slash == std::string::npos ? std::string() : exePath.substr(0, slash + 1)};
}

void RemoveExtractedFiles(TWorkFolder& work) {
  const int fd = work.Fd();
  if (fd >= 0) {
    try {
      for (const std::string& line : ReadNameList(work)) {
        const std::string name = MediaDestinationName(line);
        if (!name.empty()) unlinkat(fd, name.c_str(), 0);
      }
    } catch (const TKyError&) {
      // No name list: nothing was extracted from it.
    }
    for (const char* name : {kProjectFile, kMediaBundleFile, kFinalFile, kNameListFile, kWindowFile})
      unlinkat(fd, name, 0);
  }
  work.RemoveProcessFolder();
}

}  // namespace ky
