// Keeps the arrows between the folders of src/ one-way. Every library exports all of src/ as its
// include path, so nothing in the build itself stops a back-arrow: this test reads every
// #include line and fails on an edge that the table below does not allow.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <cctype>
#include <set>
#include <utility>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TFolderRule {
  std::set<std::string> MayInclude;  // other folders this one may include from
  bool WindowSystem = false;         // may include Qt, SDL and X11 headers
};

// A folder's row also covers its subfolders that have no row of their own.
const std::map<std::string, TFolderRule>& Rules() {
  static const std::map<std::string, TFolderRule> rules = {
      {"platform", {{}, true}},
      {"graphics", {{"platform"}}},
      // The transition count is a fact of the saver format that the effect table also keeps.
      {"package", {{"platform"}}},
      {"scene/records", {{"platform", "graphics"}}},
      {"scene/file", {{"platform", "graphics", "scene/records"}}},
      {"scene/model", {{"platform", "graphics", "scene/records", "scene/file"}}},
      {"scene/weather", {{"platform", "graphics", "scene/records"}}},
      {"scene/engine", {{"platform", "graphics", "scene/records", "scene/model", "scene/weather"}}},
      // Objects are drawn by the engine through the scene model's object interface.
      {"objects", {{"platform", "graphics", "scene/records", "scene/model"}}},
      {"saver/effects", {{"platform", "graphics", "package"}}},
      // The only folder that includes SDL or FFmpeg.
      {"audio", {{"platform"}, true}},
      {"saver", {{"platform", "graphics", "package", "config", "scene/records", "scene/model", "scene/engine", "objects", "saver/effects",
                  "audio"}}},
      {"config", {{"platform", "package", "graphics"}}},
      {"config/ui", {{"platform", "package", "graphics", "config", "scene/records", "scene/file", "scene/model"}, true}},
      {"app", {{"platform", "package", "config"}}},
      {"saver/window",
       {{"platform", "graphics", "package", "scene/records", "scene/model", "scene/engine", "saver", "saver/effects",
         "config", "config/ui", "app", "audio"},
        true}},
      {"main", {{"platform", "app", "saver/window"}, true}},
  };
  return rules;
}

// The folder whose row covers a path below src/ ("" when none does).
std::string RowOf(const std::string& folder) {
  std::string best;
  for (const auto& [name, rule] : Rules()) {
    const bool covers = folder == name || folder.compare(0, name.size() + 1, name + "/") == 0;
    if (covers && name.size() > best.size()) best = name;
  }
  return best;
}

bool IsWindowSystemHeader(const std::string& header) {
  for (const char* prefix : {"Qt", "SDL", "X11/", "GL/", "libav"})
    if (header.rfind(prefix, 0) == 0) return true;
  return header.size() > 1 && header[0] == 'Q' && std::isalpha(static_cast<unsigned char>(header[1]));
}

// The header an #include line names and its opening delimiter ('"' or '<'); delimiter 0 when the
// line is no include.
std::pair<char, std::string> IncludedHeader(const std::string& line) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos || line[i] != '#') return {0, ""};
  i = line.find_first_not_of(" \t", i + 1);
  if (i == std::string::npos || line.compare(i, 7, "include") != 0) return {0, ""};
  i = line.find_first_not_of(" \t", i + 7);
  if (i == std::string::npos || (line[i] != '"' && line[i] != '<')) return {0, ""};
  const char open = line[i];
  const size_t end = line.find(open == '"' ? '"' : '>', i + 1);
  if (end == std::string::npos) return {0, ""};
  return {open, line.substr(i + 1, end - i - 1)};
}

struct TEdge {
  std::string Where;  // file:line
  std::string Line;
  std::string Why;
};

std::vector<TEdge> ForbiddenEdges(const fs::path& srcRoot) {
  std::vector<TEdge> found;
  for (const auto& entry : fs::recursive_directory_iterator(srcRoot)) {
    const fs::path& p = entry.path();
    if (!entry.is_regular_file() || (p.extension() != ".h" && p.extension() != ".cpp")) continue;
    const std::string folder = p.parent_path().lexically_relative(srcRoot).generic_string();
    const std::string where = p.lexically_relative(srcRoot.parent_path()).generic_string();
    const std::string row = RowOf(folder);
    if (row.empty()) {
      found.push_back({where, "", "folder src/" + folder + " has no row in the table of allowed edges"});
      continue;
    }
    const TFolderRule& rule = Rules().at(row);
    std::ifstream in(p);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
      const std::string at = where + ":" + std::to_string(n);
      const auto [open, header] = IncludedHeader(line);
      if (open == '"') {
        if (header.find('/') == std::string::npos) continue;  // beside the including file
        const std::string target = RowOf(fs::path(header).parent_path().generic_string());
        if (target.empty()) {
          found.push_back({at, line, "includes from a folder that has no row"});
        } else if (target != row && !rule.MayInclude.count(target)) {
          found.push_back({at, line, row + " may not include from " + target});
        }
      } else if (open == '<' && !rule.WindowSystem && IsWindowSystemHeader(header)) {
        found.push_back({at, line, row + " may not include window-system or sound headers"});
      }
    }
  }
  return found;
}

}  // namespace

TEST(Layering, EveryIncludeFollowsAnAllowedEdge) {
  const fs::path srcRoot = fs::path(KY_SOURCE_DIR) / "src";
  ASSERT_TRUE(fs::is_directory(srcRoot)) << srcRoot;
  const std::vector<TEdge> edges = ForbiddenEdges(srcRoot);
  for (const TEdge& e : edges) ADD_FAILURE() << e.Where << ": " << e.Why << "\n    " << e.Line;
  EXPECT_TRUE(edges.empty());
}

TEST(Layering, TheTableItselfHasNoCycle) {
  // Depth-first walk over the allowed edges; a folder met again on the current path is a cycle.
  std::map<std::string, int> state;  // 0 new, 1 on the path, 2 done
  std::vector<std::string> path;
  std::function<bool(const std::string&)> visit = [&](const std::string& name) {
    if (state[name] == 1) return false;
    if (state[name] == 2) return true;
    state[name] = 1;
    path.push_back(name);
    for (const std::string& next : Rules().at(name).MayInclude) {
      if (!Rules().count(next)) {
        ADD_FAILURE() << name << " names " << next << ", which has no row";
        continue;
      }
      if (!visit(next)) return false;
    }
    path.pop_back();
    state[name] = 2;
    return true;
  };
  for (const auto& [name, rule] : Rules()) {
    if (visit(name)) continue;
    std::string trail;
    for (const std::string& s : path) trail += s + " -> ";
    ADD_FAILURE() << "cycle through " << trail;
    break;
  }
}

TEST(Layering, APlantedBackArrowAndAStrayQtIncludeAreFound) {
  const fs::path root = fs::temp_directory_path() / ("ky-layering-" + std::to_string(::getpid()));
  fs::create_directories(root / "src/graphics");
  fs::create_directories(root / "src/scene/engine");
  fs::create_directories(root / "src/nowhere");
  std::ofstream(root / "src/graphics/uBack.cpp") << "#include \"uBack.h\"\n  #  include \"scene/engine/uAnimEngine.h\"\n"
                                                  << "#include \"platform/uText.h\"\n";
  std::ofstream(root / "src/scene/engine/uQt.cpp") << "#include <QImage>\n#include <vector>\n#include \"graphics/uBitmap32.h\"\n";
  std::ofstream(root / "src/nowhere/uLost.h") << "#pragma once\n";
  const std::vector<TEdge> edges = ForbiddenEdges(root / "src");
  fs::remove_all(root);
  std::set<std::string> where;
  for (const TEdge& e : edges) where.insert(e.Where);
  EXPECT_EQ(where, (std::set<std::string>{"src/graphics/uBack.cpp:2", "src/scene/engine/uQt.cpp:1", "src/nowhere/uLost.h"}));
}
