// A configuration window built from a description: placeholders, visibility by "Tag", click
// binding, every action, and what it reads and writes through the settings store.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

#include "config/uFormParser.h"
#include "config/uKyForms.h"
#include "config/ui/FKyConfigWindow.h"
#include "config/ui/uKyPreview.h"
#include "config/ui/uMyMemo.h"
#include "config/ui/uPictureGrid.h"
#include "config/ui/uStandardControls.h"
#include "graphics/uPictureReaders.h"
#include "platform/uError.h"
#include "fake_services.h"
#include "ui_test_util.h"

namespace {

using TActions = std::vector<std::pair<std::string, ky::TAction>>;

ky::TAction Act(uint8_t kind, std::string p1 = " ") { return ky::TAction{kind, std::move(p1), " ", " "}; }

const char* const kMainWindow = R"(object MainWindow: TfmForm
  Caption = '<ScreensaverName> settings'
  ClientWidth = 300
  ClientHeight = 200
  NoFrame = True
  Visible = True
  OnShow = FormShow
  object Title: TLabel
    Caption = '<ScreensaverName>'
    Tag = 3
  end
  object NextLabel: TLabel
    Left = 10
    Top = 20
    Caption = 'Next'
    Tag = 3
  end
  object PrevLabel: TLabel
    Left = 60
    Top = 20
    Caption = 'Previous'
    Tag = 7
  end
  object HiddenLabel: TLabel
    Caption = 'hidden'
    Tag = 2
  end
  object Panel1: TPanel
    Left = 200
    Width = 80
    Height = 40
    Tag = 3
    object InPanel: TLabel
      Caption = '<CompanyName>'
      Tag = 3
    end
  end
  object Pages: TPageControl
    Top = 150
    Width = 100
    Height = 40
    Tag = 3
    object Sheet1: TTabSheet
      Caption = 'Page'
      object OnPage: TLabel
        Caption = '<ScreensaverName>'
        Tag = 3
      end
    end
  end
  object Memo1: TMyMemo
    Top = 100
    Text = 'See <Website>'
    Tag = 3
  end
  object Preview: TKyPreview
    Left = 100
    Top = 50
    Width = 40
    Height = 30
    Tag = 3
  end
  object UrlLabel: TLabel
    Top = 40
    Caption = '<CompanyName>'
    Hint = '<Website>'
    ShowHint = True
    Tag = 3
  end
  object CloseLabel: TLabel
    Top = 60
    Caption = 'Close'
    Tag = 3
  end
  object WallLabel: TLabel
    Top = 80
    Caption = 'Wallpaper'
    Tag = 3
  end
  object ShowLabel: TLabel
    Left = 150
    Caption = 'More'
    Tag = 3
  end
  object PreviewButton: TBitBtn
    Left = 150
    Top = 60
    Caption = 'Preview'
    Tag = 3
  end
  object PlainButton: TButton
    Left = 150
    Top = 100
    Caption = 'OK'
    Tag = 3
  end
  object SettingsLabel: TLabel
    Left = 220
    Top = 100
    Caption = 'Settings'
    Tag = 3
  end
end)";

const char* const kSecondWindow = R"(object Second: TfmForm
  Caption = 'Second'
  object NextLabel: TLabel
    Caption = 'Next'
    Tag = 3
  end
end)";

std::string Description() {
  std::vector<ky::TFormSource> windows(2);
  windows[0].Tree = ky::ParseFormText(kMainWindow, "main");
  windows[0].Actions = {{"NextLabel", Act(ky::akNextPicture)},
                        {"PrevLabel", Act(ky::akPreviousPicture)},
                        {"UrlLabel", Act(ky::akOpenUrl, "<Website>")},
                        {"CloseLabel", Act(ky::akCloseWindow)},
                        {"WallLabel", Act(ky::akSetWallpaper)},
                        {"ShowLabel", Act(ky::akShowWindow, "  Second ")},
                        {"PreviewButton", Act(ky::akPreviewFile)},
                        {"PlainButton", Act(ky::akCloseWindow)},
                        {"Preview", Act(ky::akPreviewFile)},
                        {"SettingsLabel", Act(ky::akOpenSetting)}};
  windows[1].Tree = ky::ParseFormText(kSecondWindow, "second");
  windows[1].Actions = {{"NextLabel", Act(ky::akNextPicture)}};
  return ky::FormatDescriptionFile(windows);
}

// Three plain pictures of distinct colours, and the descriptions above.
struct TFixture {
  explicit TFixture(int pictures = 3) {
    const uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < pictures; ++i) {
      const std::string path = dir / ("p" + std::to_string(i) + ".bmp");
      kytest::WriteBmp24(path, 8, 6, [&](int, int) { return colours[i]; });
      project.FileList().Names.push_back(path);
      project.FileList().Flags.push_back(ky::kPictureShown);
    }
    project.Setting().ProductName = "Garden";
    project.Setting().Publisher = "Kysoft";
    project.Setting().Website = "https://example.org/";
    forms.LoadFromText(Description(), "KyGUI.kyu");
  }
  kytest::TTempDir dir;
  ky::TKyCProject project;
  ky::TKyForms forms;
  kytest::TFakeServices services;
  ky::TConfigContext context{forms, "KyGUI.kyu", project, services};

  std::unique_ptr<ky::TfmKyConfigWindow> Shown(const std::string& name = "MainWindow") {
    auto w = ky::BuildConfigWindow(context, name);
    w->show();
    return w;
  }
};

QWidget& WidgetOf(const ky::TfmKyConfigWindow& w, const std::string& name) {
  const ky::TFormComponent* c = w.Component(name);
  if (!c || !c->Widget()) throw std::runtime_error("no widget " + name);
  return *c->Widget();
}

void Click(QWidget& w) {
  const QPointF at(1, 1);
  QMouseEvent press(QEvent::MouseButtonPress, at, w.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, w.mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &press);
  QApplication::sendEvent(&w, &release);
  // The window runs the action once the click's own event is over.
  QCoreApplication::sendPostedEvents();
}

uint32_t PreviewColour(const ky::TfmKyConfigWindow& w) {
  return dynamic_cast<const ky::TKyPreview&>(WidgetOf(w, "Preview")).Picture().pixel(20, 15) & 0xFFFFFFu;
}

TEST(ConfigWindow, PlaceholdersOnTheWindowAndInPanelsButNotInsidePageControlsNorInHints) {
  TFixture f;
  auto w = ky::BuildConfigWindow(f.context, "MainWindow");
  EXPECT_EQ(w->windowTitle(), "Garden settings");
  EXPECT_EQ(dynamic_cast<QLabel&>(WidgetOf(*w, "Title")).text(), "Garden");
  EXPECT_EQ(dynamic_cast<QLabel&>(WidgetOf(*w, "InPanel")).text(), "Kysoft");
  EXPECT_EQ(dynamic_cast<QLabel&>(WidgetOf(*w, "OnPage")).text(), "<ScreensaverName>");
  EXPECT_EQ(dynamic_cast<ky::TMyMemo&>(WidgetOf(*w, "Memo1")).Text(), "See https://example.org/\r\n");
  EXPECT_EQ(WidgetOf(*w, "UrlLabel").toolTip(), "<Website>");
  // The label follows its new text's size.
  EXPECT_EQ(WidgetOf(*w, "Title").width(), dynamic_cast<QLabel&>(WidgetOf(*w, "Title")).sizeHint().width());
}

TEST(ConfigWindow, AMissingWindowIsAnErrorNamingTheFileAndTheWindow) {
  TFixture f;
  try {
    ky::BuildConfigWindow(f.context, "ThumbnailWindow");
    FAIL() << "no error";
  } catch (const ky::TKyError& e) {
    EXPECT_NE(std::string(e.what()).find("KyGUI.kyu"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("\"ThumbnailWindow\""), std::string::npos) << e.what();
  }
}

TEST(ConfigWindow, TagBitZeroDecidesWhatIsShown) {
  TFixture f;
  auto w = f.Shown();
  EXPECT_FALSE(WidgetOf(*w, "HiddenLabel").isVisible());  // Tag 2
  EXPECT_TRUE(WidgetOf(*w, "NextLabel").isVisible());     // Tag 3
  EXPECT_TRUE(WidgetOf(*w, "PrevLabel").isVisible());     // Tag 7
}

TEST(ConfigWindow, NextAndPreviousStepThePreviewWithoutWrappingRound) {
  TFixture f;
  auto w = f.Shown();
  EXPECT_EQ(w->CurrentPicture(), 0);
  EXPECT_EQ(PreviewColour(*w), 0xFF0000u);
  Click(WidgetOf(*w, "PrevLabel"));
  EXPECT_EQ(w->CurrentPicture(), 0);
  const int expected[] = {1, 2, 2};
  for (int e : expected) {
    Click(WidgetOf(*w, "NextLabel"));
    EXPECT_EQ(w->CurrentPicture(), e);
  }
  EXPECT_EQ(PreviewColour(*w), 0x0000FFu);
  Click(WidgetOf(*w, "PrevLabel"));
  EXPECT_EQ(w->CurrentPicture(), 1);
  EXPECT_EQ(PreviewColour(*w), 0x00FF00u);
  // A push button gets no action, even with an entry in the table.
  Click(WidgetOf(*w, "PlainButton"));
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(f.services.Errors.empty());
}

TEST(ConfigWindow, AStoredIndexSelectsThePictureWhenTheStoreGivesOne) {
  TFixture f;
  f.services.FakeStore.Index = 2;
  auto w = f.Shown();
  EXPECT_EQ(w->CurrentPicture(), 2);
  EXPECT_EQ(PreviewColour(*w), 0x0000FFu);
  TFixture g;
  g.services.FakeStore.Index = 3;  // beyond the list: the store gives nothing
  auto w2 = g.Shown();
  EXPECT_EQ(w2->CurrentPicture(), 0);
}

TEST(ConfigWindow, WithoutPicturesStepsKeepZeroAndPreviewAndWallpaperDoNothing) {
  TFixture f(0);
  auto w = f.Shown();
  Click(WidgetOf(*w, "NextLabel"));
  Click(WidgetOf(*w, "PrevLabel"));
  EXPECT_EQ(w->CurrentPicture(), 0);
  Click(WidgetOf(*w, "PreviewButton"));
  EXPECT_TRUE(f.services.PreviewPictures.empty());
  Click(WidgetOf(*w, "WallLabel"));
  EXPECT_EQ(f.services.Questions.size(), 1u);
  EXPECT_TRUE(f.services.Wallpapers.empty());
  EXPECT_TRUE(f.services.Errors.empty());
  EXPECT_TRUE(dynamic_cast<ky::TKyPreview&>(WidgetOf(*w, "Preview")).Picture().isNull());
}

TEST(ConfigWindow, PreviewRunsAOnePictureShowWithTheProjectsShowOptions) {
  TFixture f;
  f.project.Setting().Stretch = false;
  f.project.Setting().Proportional = true;
  f.project.Setting().DirectX = true;
  f.project.Setting().DirectXQuality = 2;
  f.project.Setting().ShowClock = true;
  f.project.Setting().ClockPos = 3;
  f.project.Setting().Speed = 240;
  f.project.Setting().Sound = false;
  f.project.Setting().Music = true;
  f.project.Setting().Duration = 77;
  auto w = f.Shown();
  Click(WidgetOf(*w, "NextLabel"));
  Click(WidgetOf(*w, "Preview"));  // the preview control runs its own action
  ASSERT_EQ(f.services.PreviewPictures.size(), 1u);
  EXPECT_EQ(f.services.PreviewPictures[0], std::vector<std::string>{f.project.FileList().Names[1]});
  const ky::TKyCSetting& s = f.services.PreviewSettings[0];
  EXPECT_FALSE(s.Stretch);
  EXPECT_TRUE(s.Proportional && s.DirectX && s.ShowClock);
  EXPECT_EQ(s.DirectXQuality, 2);
  EXPECT_EQ(s.ClockPos, 3);
  EXPECT_EQ(s.Speed, 240);
  EXPECT_TRUE(s.Sound);
  EXPECT_FALSE(s.Music);
  EXPECT_EQ(s.Duration, ky::TKyCSetting().Duration) << "not copied: the defaults stay";
  EXPECT_TRUE(w->isVisible());
}

TEST(ConfigWindow, OpenUrlGetsTheAddressWithoutTheLineEndOfTheReplacement) {
  TFixture f;
  auto w = f.Shown();
  Click(WidgetOf(*w, "UrlLabel"));
  EXPECT_EQ(f.services.Urls, std::vector<std::string>{"https://example.org/"});
  Click(WidgetOf(*w, "SettingsLabel"));
  EXPECT_EQ(f.services.SettingsOpened, 1);
}

TEST(ConfigWindow, CloseWritesTheCurrentPictureOnce) {
  TFixture f;
  auto w = f.Shown();
  Click(WidgetOf(*w, "NextLabel"));
  Click(WidgetOf(*w, "CloseLabel"));
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(f.services.FakeStore.WrittenIndexes, std::vector<int>{1});
  EXPECT_TRUE(f.services.FakeStore.WrittenChecks.empty()) << "no grid, no [Files]";
}

TEST(ConfigWindow, ShowWindowOpensTheNamedWindowModallyAndTheLastClosedDecidesTheIndex) {
  TFixture f;
  auto w = f.Shown();
  Click(WidgetOf(*w, "NextLabel"));
  bool sawSecond = false;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* modal = dynamic_cast<ky::TfmKyConfigWindow*>(QApplication::activeModalWidget());
    if (!modal || modal->FormName() != "Second") return;
    sawSecond = true;
    EXPECT_TRUE(w->isVisible());
    // The opened window reads the store afresh and starts on picture 0; stepping it moves only it.
    for (int i = 0; i < 2; ++i) Click(WidgetOf(*modal, "NextLabel"));
    modal->close();
  });
  poll.start();
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  deadline.start(10000);
  Click(WidgetOf(*w, "ShowLabel"));
  poll.stop();
  EXPECT_TRUE(sawSecond);
  EXPECT_EQ(w->CurrentPicture(), 1);
  Click(WidgetOf(*w, "CloseLabel"));
  EXPECT_EQ(f.services.FakeStore.WrittenIndexes, (std::vector<int>{2, 1}));
}

TEST(ConfigWindow, WallpaperAsksFirstThenWritesTheSaversBmpAndHandsItToTheDesktop) {
  TFixture f;
  f.services.Saver = f.dir / "Garden.scr";
  auto w = f.Shown();
  f.services.ConfirmAnswer = false;
  Click(WidgetOf(*w, "WallLabel"));
  EXPECT_TRUE(f.services.Wallpapers.empty());
  EXPECT_FALSE(kytest::Exists(f.dir / "Garden.scr.bmp"));
  f.services.ConfirmAnswer = true;
  Click(WidgetOf(*w, "NextLabel"));
  Click(WidgetOf(*w, "WallLabel"));
  ASSERT_EQ(f.services.Questions.size(), 2u);
  EXPECT_EQ(f.services.Questions[1], "You are about to set the selected picture as wallpaper.\r\nDo you want to proceed?");
  EXPECT_EQ(f.services.Wallpapers, std::vector<std::string>{f.dir / "Garden.scr.bmp"});
  ky::TBitmap32 written;
  ky::LoadPictureFromFile(f.dir / "Garden.scr.bmp", written);
  EXPECT_EQ(written.Width(), 8);
  EXPECT_EQ(written.Height(), 6);
  EXPECT_EQ(written.Bits()[0] & 0xFFFFFFu, 0x00FF00u);
}

TEST(ConfigWindow, AnActionThatFailsShowsItsErrorAndTheWindowStays) {
  TFixture f;
  kytest::WriteFile(f.project.FileList().Names[0], "broken");
  auto w = f.Shown();  // the preview's failure at show time is swallowed
  EXPECT_TRUE(f.services.Errors.empty());
  Click(WidgetOf(*w, "WallLabel"));
  ASSERT_EQ(f.services.Errors.size(), 1u);
  EXPECT_NE(f.services.Errors[0].find("p0.bmp"), std::string::npos) << f.services.Errors[0];
  EXPECT_TRUE(w->isVisible());
  Click(WidgetOf(*w, "NextLabel"));
  EXPECT_EQ(PreviewColour(*w), 0x00FF00u);
}

// A grid class of the test's own, registered as another unit would register its grid.
class TTestGrid final : public QWidget, public ky::TPictureGrid {
 public:
  std::vector<std::string> Files;
  std::map<int, bool> Marks;
  int Selected = -1;
  void SetFiles(const std::vector<std::string>& files) override { Files = files; }
  void SetChecked(int index, bool checked) override { Marks[index] = checked; }
  bool Checked(int index) const override { return Marks.count(index) && Marks.at(index); }
  void SelectIndex(int index) override { Selected = index; }
  void RepaintGrid() override { update(); }
};

TEST(ConfigWindow, AGridIsFedWithThePicturesTheirMarksAndReportsSelections) {
  TFixture f;
  ky::TFormClassRegistry registry = ky::StandardFormClasses();
  ky::TFormClass grid;
  grid.Name = "TKyThumbnail2";
  grid.Base = "TControl";
  grid.Create = [] { return std::make_unique<TTestGrid>(); };
  registry.Register(grid);
  std::vector<ky::TFormSource> windows(1);
  windows[0].Tree = ky::ParseFormText(
      "object Thumbs: TfmForm\n  object Grid: TKyThumbnail2\n    Tag = 3\n  end\n"
      "  object Preview: TKyPreview\n    Width = 40\n    Height = 30\n    Tag = 3\n  end\n"
      "  object NextLabel: TLabel\n    Caption = 'n'\n    Tag = 3\n  end\nend\n", "t");
  windows[0].Actions = {{"NextLabel", Act(ky::akNextPicture)}};
  f.forms.LoadFromText(ky::FormatDescriptionFile(windows), "KyGUI.kyu");
  ky::TConfigContext context{f.forms, "KyGUI.kyu", f.project, f.services, registry};
  f.services.FakeStore.Unchecked = {"1", "02", "x"};
  f.services.FakeStore.Index = 2;
  auto w = ky::BuildConfigWindow(context, "Thumbs");
  w->show();
  auto& g = dynamic_cast<TTestGrid&>(WidgetOf(*w, "Grid"));
  EXPECT_EQ(g.Files, f.project.FileList().Names);
  EXPECT_TRUE(g.Checked(0));
  EXPECT_FALSE(g.Checked(1));
  EXPECT_TRUE(g.Checked(2)) << "\"02\" is not the text of position 2";
  EXPECT_EQ(g.Selected, 2);
  g.OnSelectPicture(0);
  EXPECT_EQ(w->CurrentPicture(), 0);
  EXPECT_EQ(PreviewColour(*w), 0xFF0000u);
  Click(WidgetOf(*w, "NextLabel"));
  EXPECT_EQ(w->CurrentPicture(), 1);
  g.SetChecked(0, false);
  w->close();
  EXPECT_EQ(f.services.FakeStore.WrittenChecks, (std::vector<std::vector<bool>>{{false, false, true}}));

  // A store that may not be used sets no mark at all.
  TFixture h;
  h.forms.LoadFromText(ky::FormatDescriptionFile(windows), "KyGUI.kyu");
  h.services.FakeStore.Enabled = false;
  ky::TConfigContext context2{h.forms, "KyGUI.kyu", h.project, h.services, registry};
  auto w2 = ky::BuildConfigWindow(context2, "Thumbs");
  w2->show();
  auto& g2 = dynamic_cast<TTestGrid&>(WidgetOf(*w2, "Grid"));
  EXPECT_FALSE(g2.Checked(0) || g2.Checked(1) || g2.Checked(2));
}

}  // namespace

namespace {

TEST(ConfigWindowStyle, TheStyleSwitchesDecideFrameButtonsSizeAndState) {
  struct TCase {
    const char* switches;
    bool frameless, closeBox, maximizeBox, minimizeBox, fixedSize, maximized;
  };
  const TCase cases[] = {
      {"NoFrame = True\n  ShowButtons = True\n", true, false, false, false, true, false},
      {"ShowButtons = True\n  MinimizeButton = True\n", false, true, false, true, true, false},
      {"Sizeable = True\n  MaximizeButton = True\n", false, false, true, false, false, false},
      {"Sizeable = True\n  MaximizeOnShow = True\n", false, false, false, false, false, true},
  };
  for (const TCase& c : cases) {
    std::vector<ky::TFormSource> windows(1);
    windows[0].Tree = ky::ParseFormText(std::string("object W: TfmForm\n  ClientWidth = 120\n  ClientHeight = 80\n  ") +
                                            c.switches + "end\n", "w");
    ky::TKyForms forms;
    forms.LoadFromText(ky::FormatDescriptionFile(windows), "KyGUI.kyu");
    ky::TKyCProject project;
    kytest::TFakeServices services;
    ky::TConfigContext context{forms, "KyGUI.kyu", project, services};
    auto w = ky::BuildConfigWindow(context, "W");
    const Qt::WindowFlags f = w->windowFlags();
    EXPECT_EQ(f.testFlag(Qt::FramelessWindowHint), c.frameless) << c.switches;
    EXPECT_EQ(f.testFlag(Qt::WindowCloseButtonHint), c.closeBox) << c.switches;
    EXPECT_EQ(f.testFlag(Qt::WindowMaximizeButtonHint), c.maximizeBox) << c.switches;
    EXPECT_EQ(f.testFlag(Qt::WindowMinimizeButtonHint), c.minimizeBox) << c.switches;
    EXPECT_EQ(w->minimumSize() == w->maximumSize(), c.fixedSize) << c.switches;
    EXPECT_EQ(w->windowState().testFlag(Qt::WindowMaximized), c.maximized) << c.switches;
    EXPECT_EQ(w->size(), QSize(120, 80)) << c.switches;
  }
}

}  // namespace
