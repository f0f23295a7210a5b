// libFuzzer target: the package scan, the section readers and the project package load must
// give a result or a TKyError for any input, and the file readers (chunked scan, layout,
// extraction) must agree with the in-memory ones byte for byte.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzFiles.h"
#include "package/uCreatorProject.h"
#include "package/uPackage.h"
#include "platform/uError.h"

namespace {

bool SameInfo(const ky::TPackageInfo& a, const ky::TPackageInfo& b) {
  return a.Found == b.Found && a.Offset == b.Offset && a.FirstValue == b.FirstValue;
}

std::string ReadBack(int dirFd, const char* name) {
  const int fd = openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) __builtin_trap();
  std::string out;
  char buf[4096];
  for (ssize_t r; (r = read(fd, buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(r));
  close(fd);
  return out;
}

void LoadProject(std::string_view bytes) {
  ky::TKyCProject project;
  try {
    project.LoadFromPackage(bytes, "fuzz.res");
  } catch (const ky::TKyError&) {
  }
  if (project.FileList().Names.size() != project.FileList().Flags.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const ky::TPackageInfo info = ky::FindPackageInMemory(bytes);

  // Fed in two pieces, the scanner must find the same marker.
  if (size > 0) {
    const size_t cut = data[0] % (size + 1);
    ky::TMarkerScanner scan;
    size_t hit = scan.Feed(data, cut);
    if (hit == ky::TMarkerScanner::npos) {
      hit = scan.Feed(data + cut, size - cut);
      if (hit != ky::TMarkerScanner::npos) hit += cut;
    }
    if ((hit != ky::TMarkerScanner::npos) != info.Found || (info.Found && hit != info.Offset)) __builtin_trap();
  }

  const std::vector<std::string> sections = ky::ReadSectionsInMemory(bytes);
  size_t total = 0;
  for (const std::string& s : sections) total += s.size();
  if (total > size || sections.size() > static_cast<size_t>(info.FirstValue > 0 ? info.FirstValue : 0)) __builtin_trap();

  const kyfuzz::TMemFile file(data, size);
  // Small chunks put the marker across reads; not below 5 bytes, which would only be slow.
  const size_t chunk = 5 + (size > 0 ? data[size - 1] % 60 : 0);
  if (!SameInfo(ky::FindPackage(file.Path(), chunk), info)) __builtin_trap();

  const ky::TPackageLayout layout = ky::ReadPackageLayout(file.Path());
  if (!SameInfo(layout.Info, info) || layout.Sections.size() != sections.size()) __builtin_trap();
  for (size_t k = 0; k < sections.size(); ++k) {
    if (layout.Sections[k].Length != sections[k].size()) __builtin_trap();
    // Reading back every one of a thousand tiny sections would only slow the run down.
    if (k < 8 && ky::ReadFileRange(file.Path(), layout.Sections[k].Offset, layout.Sections[k].Length) != sections[k])
      __builtin_trap();
  }

  // The first sections go to files, the third is discarded: what lands in the files must be the
  // sections themselves.
  {
    const kyfuzz::TTempFolder folder;
    const char* names[] = {"s0", "s1", "", "s3"};
    std::vector<ky::TSectionDestination> destinations;
    for (const char* n : names) destinations.push_back({folder.Fd(), n});
    const ky::TExtractResult r = ky::ExtractSections(file.Path(), destinations);
    if (r.Found != info.Found || r.Sections != std::min(sections.size(), destinations.size())) __builtin_trap();
    for (size_t k = 0; k < r.Sections; ++k)
      if (*names[k] && ReadBack(folder.Fd(), names[k]) != sections[k]) __builtin_trap();
  }

  LoadProject(bytes);
  // A saver package holds the project package as its first section.
  if (!sections.empty()) LoadProject(sections[0]);
  return 0;
}
