// The windows a saver gets when its manifest names no description of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "config/uFormParser.h"
#include "config/uFormPicture.h"
#include "config/uKyForms.h"
#include "testutil.h"
#include "uDefaultWindows.h"
#include "uSaverBuilder.h"

using namespace ky;

namespace {

const TFormProperty* Find(const TFormObject& o, const std::string& name) {
  for (const TFormProperty& p : o.Properties)
    if (p.Name == name) return &p;
  return nullptr;
}

std::string IdentOf(const TFormObject& o, const std::string& name) {
  const TFormProperty* p = Find(o, name);
  return p && p->Value.Kind == TFormValueKind::Ident ? p->Value.Text : "";
}
int64_t IntOf(const TFormObject& o, const std::string& name) {
  const TFormProperty* p = Find(o, name);
  return p && p->Value.Kind == TFormValueKind::Integer ? p->Value.Integer : -999;
}
std::string TextOf(const TFormObject& o, const std::string& name) {
  const TFormProperty* p = Find(o, name);
  return p && p->Value.Kind == TFormValueKind::String ? p->Value.Text : "(none)";
}

bool Near(TColor32 a, TColor32 b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > tolerance) return false;
  return true;
}

class DefaultWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    forms.LoadFromText(DefaultDescriptionFile("Sea Waves"), "default");
    ASSERT_EQ(forms.Count(), 2u);
    const TKyForm* m = forms.FindForm("MainWindow");
    const TKyForm* t = forms.FindForm("ThumbnailWindow");
    ASSERT_TRUE(m && t);
    main = ParseFormText(m->BuildFormText(), "MainWindow");
    thumbs = ParseFormText(t->BuildFormText(), "ThumbnailWindow");
  }
  TKyForms forms;
  TFormObject main, thumbs;
};

}  // namespace

TEST_F(DefaultWindows, MainWindowBindsEveryPaintedButton) {
  EXPECT_EQ(main.ClassName, "TfmKyConfigWindow");
  // The six window-style booleans in their order.
  std::vector<std::string> styles;
  for (const TFormProperty& p : main.Properties)
    for (const char* s : {"Sizeable", "NoFrame", "MaximizeButton", "MinimizeButton", "ShowButtons", "MaximizeOnShow"})
      if (p.Name == s) styles.push_back(p.Name + "=" + p.Value.Text);
  EXPECT_EQ(styles, (std::vector<std::string>{"Sizeable=False", "NoFrame=True", "MaximizeButton=False",
                                             "MinimizeButton=False", "ShowButtons=False", "MaximizeOnShow=False"}));

  // Hint (or caption) -> the action its control runs.
  const std::map<std::string, std::pair<int, std::string>> expected = {
      {"Screensaver Settings", {akOpenSetting, " "}},
      {"Set selected picture as a wallpaper", {akSetWallpaper, " "}},
      {"Previous picture", {akPreviousPicture, " "}},
      {"Next Picture", {akNextPicture, " "}},
      {"Preview selected picture", {akPreviewFile, " "}},
      {"Close", {akCloseWindow, " "}},
      {"View Thumbnail", {akShowWindow, "ThumbnailWindow"}},
      {"<CompanyName>", {akOpenUrl, "<Website>"}},
  };
  const TActionList& actions = forms.FindForm("MainWindow")->Actions;
  std::map<std::string, int> seen;
  bool nameLabel = false, preview = false, skin = false;
  for (const TFormObject& c : main.Children) {
    EXPECT_EQ(IntOf(c, "Tag"), 3) << c.Name;
    if (c.ClassName == "TImage") {
      skin = true;
      const TBitmap32 picture = DecodeFormPicture(Find(c, "Picture.Data")->Value.Bytes);
      EXPECT_EQ(picture.Width(), IntOf(main, "ClientWidth"));
      EXPECT_EQ(picture.Height(), IntOf(main, "ClientHeight"));
      EXPECT_EQ(IntOf(c, "Left"), 0);
      EXPECT_EQ(IntOf(c, "Top"), 0);
      // Every button label lies over its painted button; the preview over the dark well.
      for (const TFormObject& l : main.Children) {
        if (l.ClassName == "TLabel" && actions.FindAction(l.Name) && l.Name != "lblClose" && l.Name != "lblCompany") {
          EXPECT_TRUE(Near(picture.Pixel(static_cast<int>(IntOf(l, "Left") + 5), static_cast<int>(IntOf(l, "Top") + 18)),
                           l.Name == "lblPreview" ? kSkinAccent : kSkinButton, 8))
              << l.Name;
        }
        if (l.ClassName == "TKyPreview") {
          EXPECT_TRUE(Near(picture.Pixel(static_cast<int>(IntOf(l, "Left") + IntOf(l, "Width") / 2),
                                         static_cast<int>(IntOf(l, "Top") + IntOf(l, "Height") / 2)),
                           kSkinWell, 12));
        }
      }
    }
    if (c.ClassName == "TKyPreview") {
      preview = true;
      ASSERT_NE(actions.FindAction(c.Name), nullptr);
      EXPECT_EQ(actions.FindAction(c.Name)->Kind, akPreviewFile);
    }
    if (c.ClassName != "TLabel") continue;
    if (TextOf(c, "Caption") == "<ScreensaverName>") {
      nameLabel = true;
      EXPECT_EQ(actions.FindAction(c.Name), nullptr);
      continue;
    }
    EXPECT_EQ(IdentOf(c, "Cursor"), "crHandPoint") << c.Name;
    EXPECT_EQ(IdentOf(c, "Transparent"), "True") << c.Name;
    const std::string key = TextOf(c, "Caption") == "<CompanyName>" ? "<CompanyName>" : TextOf(c, "Hint");
    const auto want = expected.find(key);
    ASSERT_NE(want, expected.end()) << c.Name << " " << key;
    const TAction* a = actions.FindAction(c.Name);
    ASSERT_NE(a, nullptr) << c.Name;
    EXPECT_EQ(a->Kind, want->second.first) << key;
    EXPECT_EQ(a->Param1, want->second.second) << key;
    ++seen[key];
  }
  EXPECT_EQ(seen.size(), expected.size());
  EXPECT_TRUE(nameLabel && preview && skin);
}

TEST_F(DefaultWindows, ThumbnailWindowHasTheGridAndTwoButtons) {
  EXPECT_EQ(IdentOf(thumbs, "NoFrame"), "False");
  EXPECT_EQ(IdentOf(thumbs, "ShowButtons"), "True");
  ASSERT_EQ(thumbs.Children.size(), 3u);
  const TFormObject& grid = thumbs.Children[0];
  EXPECT_EQ(grid.ClassName, "TKyThumbnail2");
  EXPECT_EQ(IdentOf(grid, "ShowCheckBox"), "True");
  EXPECT_EQ(IdentOf(grid, "MultiRows"), "True");
  EXPECT_EQ(IntOf(grid, "PictureWidth"), 80);
  EXPECT_EQ(IntOf(grid, "PictureHeight"), 60);
  // Columns of PictureWidth + 20 pixels: four fit.
  EXPECT_EQ(IntOf(grid, "Width") / (80 + 20), 4);
  const TActionList& actions = forms.FindForm("ThumbnailWindow")->Actions;
  for (const auto& [index, caption, kind] : {std::tuple{1, "Preview", akPreviewFile}, std::tuple{2, "OK", akCloseWindow}}) {
    const TFormObject& b = thumbs.Children[static_cast<size_t>(index)];
    EXPECT_EQ(b.ClassName, "TBitBtn");
    EXPECT_EQ(TextOf(b, "Caption"), caption);
    EXPECT_EQ(IntOf(b, "Tag"), 3);
    ASSERT_NE(actions.FindAction(b.Name), nullptr);
    EXPECT_EQ(actions.FindAction(b.Name)->Kind, kind);
  }
}

TEST(DefaultWindowsBuild, ASaverWithoutDescriptionGetsTheDefaultOne) {
  kytest::TTempDir dir;
  kytest::WriteFile(dir / "a.jpg", "not really a picture");
  kytest::WriteFile(dir / "own.kyu", "1\r\n2\r\nobject MainWindow: TfmForm\r\nend\r\n1\r\n0\r\n1\r\nDummy\r\n");
  kytest::WriteFile(dir / "plain.ini", "[General]\nProductName=Garden\n[Pictures]\na.jpg\n");
  kytest::WriteFile(dir / "own.ini", "[General]\nProductName=Garden\n[Pictures]\na.jpg\n[UI]\nFile=own.kyu\n");
  const std::string plain = BuildSaverPackage(dir / "plain.ini");
  EXPECT_NE(plain.find("UIFile=KyGUI.kyu"), std::string::npos);
  EXPECT_NE(plain.find(DefaultDescriptionFile("Garden")), std::string::npos);
  const std::string own = BuildSaverPackage(dir / "own.ini");
  EXPECT_NE(own.find("UIFile=own.kyu"), std::string::npos);
  EXPECT_EQ(own.find("object ThumbnailWindow"), std::string::npos);
  EXPECT_NE(own.find("object MainWindow: TfmForm\r\nend"), std::string::npos);
}
