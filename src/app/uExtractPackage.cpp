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

}  // namespace

std::string MediaDestinationName(const std::string& storedName) {
  std::string name = SafeMediaName(storedName);
  for (const char* reserved : {kProjectFile, kMediaBundleFile, kFinalFile, kNameListFile, kWindowFile, kLockFileName})
    if (name == reserved) return {};
  return name;
}

void ExtractPackage(TKyCProject& project, const std::string& exePath, TWorkFolder& work) {
  const std::string folder = work.GetWorkFolder();
  const int fd = work.Fd();
  if (!ExtractSections(exePath, {{fd, kProjectFile}, {fd, kNameListFile}, {fd, kMediaBundleFile}, {fd, kWindowFile}}).Found)
    throw TKyError(exePath + ": this file holds no saver package");

  std::vector<TSectionDestination> media;
  for (const std::string& line : ReadNameList(work)) media.push_back({fd, MediaDestinationName(line)});
  // A bundle that is missing leaves the media without files; the show skips what is not there.
  if (access((folder + kMediaBundleFile).c_str(), R_OK) == 0) ExtractSections(folder + kMediaBundleFile, media);

  project.LoadFromFile(folder + kProjectFile);
  // Entries are bare names; a stored path is reduced the way the media files were.
  for (std::string& name : project.FileList().Names) name = folder + FileNamePart(name);
  std::string& preview = project.Setting().PreviewFile;
  if (!preview.empty()) preview = folder + FileNamePart(preview);
  project.UISetting().UIFile = folder + kWindowFile;
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
