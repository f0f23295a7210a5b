// Every input that ever broke a reader is kept under fuzz/regressions/<target>/ and replayed here
// through the fuzz target of that reader, built without libFuzzer. A target gives a picture (or a
// scene, a package, settings) or catches its reader's own error; anything else (a crash, a
// broken invariant, a foreign exception) ends this program and fails the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" {
int KyReplay_bmp(const uint8_t* data, size_t size);
int KyReplay_gif(const uint8_t* data, size_t size);
int KyReplay_jpeg(const uint8_t* data, size_t size);
int KyReplay_exif(const uint8_t* data, size_t size);
int KyReplay_png(const uint8_t* data, size_t size);
int KyReplay_package(const uint8_t* data, size_t size);
int KyReplay_ini(const uint8_t* data, size_t size);
int KyReplay_scene(const uint8_t* data, size_t size);
int KyReplay_form(const uint8_t* data, size_t size);
int KyReplay_wave(const uint8_t* data, size_t size);
int KyReplay_objects(const uint8_t* data, size_t size);
}

namespace {

namespace fs = std::filesystem;

using TReplayProc = int (*)(const uint8_t*, size_t);

struct TReplay {
  const char* Target;  // fuzz/fuzz_<Target>.cpp, fuzz/regressions/<Target>/
  TReplayProc Proc;
};

constexpr TReplay kReplays[] = {
    {"bmp", KyReplay_bmp},   {"gif", KyReplay_gif},         {"jpeg", KyReplay_jpeg}, {"exif", KyReplay_exif},
    {"png", KyReplay_png},   {"package", KyReplay_package}, {"ini", KyReplay_ini},   {"scene", KyReplay_scene},
    {"form", KyReplay_form}, {"wave", KyReplay_wave},       {"objects", KyReplay_objects},
};

const TReplay* FindReplay(const std::string& target) {
  for (const TReplay& r : kReplays)
    if (target == r.Target) return &r;
  return nullptr;
}

const fs::path kFuzzDir = fs::path(KY_SOURCE_DIR) / "fuzz";
const fs::path kRegressionsDir = kFuzzDir / "regressions";

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> Sorted(const fs::path& dir) {
  std::vector<fs::path> entries;
  for (const auto& e : fs::directory_iterator(dir)) entries.push_back(e.path());
  std::sort(entries.begin(), entries.end());
  return entries;
}

// Folders that name no fuzz target would be kept but never replayed.
TEST(FuzzRegressions, EveryFolderNamesATarget) {
  ASSERT_TRUE(fs::is_directory(kRegressionsDir)) << kRegressionsDir;
  int folders = 0;
  for (const fs::path& entry : Sorted(kRegressionsDir)) {
    EXPECT_TRUE(fs::is_directory(entry)) << entry << ": inputs belong in a folder named after their target";
    EXPECT_NE(FindReplay(entry.filename().string()), nullptr) << entry << ": no fuzz target of that name";
    ++folders;
  }
  EXPECT_GT(folders, 0);
}

// A new fuzz target must be replayable too, or its crash inputs could not be kept.
TEST(FuzzRegressions, EveryTargetIsReplayable) {
  int targets = 0;
  for (const fs::path& entry : Sorted(kFuzzDir)) {
    const std::string name = entry.filename().string();
    if (name.rfind("fuzz_", 0) != 0 || entry.extension() != ".cpp") continue;
    EXPECT_NE(FindReplay(entry.stem().string().substr(5)), nullptr) << entry << " has no replay";
    ++targets;
  }
  EXPECT_EQ(targets, static_cast<int>(std::size(kReplays)));
}

TEST(FuzzRegressions, EveryKeptInputGivesAResultOrAnError) {
  int inputs = 0;
  for (const fs::path& folder : Sorted(kRegressionsDir)) {
    const TReplay* replay = FindReplay(folder.filename().string());
    if (!replay || !fs::is_directory(folder)) continue;  // reported by EveryFolderNamesATarget
    for (const fs::path& file : Sorted(folder)) {
      SCOPED_TRACE(file.string());
      const std::vector<uint8_t> bytes = ReadAll(file);
      // A fault does not come back from here: it ends the program.
      replay->Proc(bytes.data(), bytes.size());
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 0);
}

}  // namespace
