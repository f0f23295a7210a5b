// The guide's key tables against the keys the readers take: a key added to the scene
// description or the manifest without a line in docs/authoring.md fails here, and so does a
// documented key that no reader takes. Its pictures are there and small.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>
#include <set>

#include "authoringFixture.h"
#include "objects/uObjectInspect.h"
#include "scene/file/uSceneKeys.h"
#include "uManifestKeys.h"
#include "uSaverBuilder.h"

using namespace kytest;

namespace {

using TKeySet = std::set<std::pair<std::string, std::string>>;

const std::string kGuide = KY_SOURCE_DIR "/docs/authoring.md";

// Headings like "### `[Wave1]` … `[Wave8]`: ..." open a section ("Wave"); rows like "| `Amplitude` |"
// under it are its keys. Any other heading closes the section.
struct TGuide {
  TKeySet Keys;
  std::set<std::string> Sections;
  std::vector<std::string> Pictures;
};

TGuide ReadGuide() {
  TGuide g;
  const std::regex heading(R"(^#+ .*?`\[([A-Za-z]+?)[0-9]*N?\]`)");
  const std::regex row(R"(^\| `([A-Za-z]+)` \|)");
  const std::regex picture(R"(\]\((authoring/[A-Za-z0-9._-]+\.png)\))");
  std::string section;
  std::istringstream in(ReadFile(kGuide));
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (!line.empty() && line[0] == '#') {
      section = std::regex_search(line, m, heading) ? m[1].str() : "";
      static const std::regex bracket(R"(`\[([A-Za-z]+?)[0-9]*N?\]`)");
      for (auto it = std::sregex_iterator(line.begin(), line.end(), bracket); it != std::sregex_iterator(); ++it)
        g.Sections.insert((*it)[1].str());
    } else if (!section.empty() && std::regex_search(line, m, row)) {
      g.Keys.insert({section, m[1].str()});
    }
    for (auto it = std::sregex_iterator(line.begin(), line.end(), picture); it != std::sregex_iterator(); ++it)
      g.Pictures.push_back((*it)[1].str());
  }
  return g;
}

std::string Listing(const TKeySet& keys) {
  std::string s;
  for (const auto& [section, key] : keys) s += " [" + section + "] " + key;
  return s;
}

TEST(AuthoringGuide, DocumentsExactlyTheKeysTheReadersTake) {
  const TGuide guide = ReadGuide();
  TKeySet scene, manifest;
  for (const ky::TSceneKey& k : ky::SceneDescriptionKeys()) scene.insert({std::string(k.Section), std::string(k.Key)});
  for (const ky::TManifestKey& k : ky::ManifestKeys()) manifest.insert({k.Section, k.Key});
  ASSERT_GT(scene.size(), 25u);
  ASSERT_GT(manifest.size(), 30u);

  // The object keys are those a loaded object keeps and writes back, as inspection lists them.
  TKeySet objects;
  const std::string json = ky::ObjectsJson("[Obj0]\nObjType=GIF\nFilename=a.gif\n[Obj1]\nObjType=IMG\nFilename=b.png\n");
  const std::regex jsonKey(R"re("([A-Za-z]+)":)re");
  for (auto it = std::sregex_iterator(json.begin(), json.end(), jsonKey); it != std::sregex_iterator(); ++it)
    if ((*it)[1].str() != "Index") objects.insert({"Obj", (*it)[1].str()});
  ASSERT_GT(objects.size(), 35u) << json;

  TKeySet readers = scene;
  readers.insert(manifest.begin(), manifest.end());
  readers.insert(objects.begin(), objects.end());
  TKeySet undocumented, unknown;
  for (const auto& k : readers)
    if (!guide.Keys.count(k)) undocumented.insert(k);
  for (const auto& k : guide.Keys)
    if (!readers.count(k)) unknown.insert(k);
  EXPECT_TRUE(undocumented.empty()) << "keys the readers take that docs/authoring.md does not list:" << Listing(undocumented);
  EXPECT_TRUE(unknown.empty()) << "keys docs/authoring.md lists that no reader takes:" << Listing(unknown);
  for (const std::string& list : ky::ManifestListSections()) EXPECT_TRUE(guide.Sections.count(list)) << list;
}

TEST(AuthoringGuide, ItsPicturesAreThereAndSmall) {
  const TGuide guide = ReadGuide();
  ASSERT_GT(guide.Pictures.size(), 20u);
  for (const std::string& p : guide.Pictures) {
    struct stat st {};
    ASSERT_EQ(stat((KY_SOURCE_DIR "/docs/" + p).c_str(), &st), 0) << p;
    EXPECT_LE(st.st_size, 60 * 1024) << p;
  }
}

// The manifest list is the builder's: every listed key builds, a key beside them is refused.
TEST(ManifestKeys, TheBuilderTakesEveryListedKeyAndRefusesOthers) {
  TTempDir dir;
  ky::SavePngFile(Picture(4, 4, [](int, int) { return ky::MakeColor32(1, 2, 3); }), dir / "a.png");
  WriteFile(dir / "ui.txt", "0\r\n");
  std::string text, section;
  for (const ky::TManifestKey& k : ky::ManifestKeys()) {
    if (k.Section != section) text += "[" + (section = k.Section) + "]\n";
    text += k.Key + "=" + (k.Type == "file" ? "ui.txt" : k.Type == "text" ? "x" : "1") + "\n";
  }
  WriteFile(dir / "m.ini", text + "[Pictures]\na.png\n");
  // The builder itself, without the checks the command makes first.
  EXPECT_NO_THROW(ky::BuildSaverPackage(dir / "m.ini")) << text;
  for (const char* section : {"General", "Default", "Advance", "Build"}) {
    WriteFile(dir / "m.ini", std::string("[") + section + "]\nColour=1\n[Pictures]\na.png\n");
    try {
      ky::BuildSaverPackage(dir / "m.ini");
      ADD_FAILURE() << section << ": built with an unknown key";
    } catch (const std::exception& e) {
      EXPECT_TRUE(Contains(e.what(), "unknown key \"Colour\"")) << e.what();
    }
  }
}

}  // namespace
