// The configuration windows on the real user settings file: what they read when shown and write
// when closed, and the show options copied into the project.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "config/uKyForms.h"
#include "config/uFormParser.h"
#include "config/ui/FKyConfigWindow.h"
#include "config/ui/uUserSettingsConfigStore.h"
#include "fake_services.h"
#include "ui_test_util.h"

namespace {

struct TStoreFixture {
  explicit TStoreFixture(ky::TUserSettingsAccess access) : store(std::move(access)) {
    for (int i = 0; i < 3; ++i) {
      const std::string path = dir / ("p" + std::to_string(i) + ".bmp");
      kytest::WriteBmp24(path, 4, 4, [](int, int) { return 0x808080u; });
      project.FileList().Names.push_back(path);
      project.FileList().Flags.push_back(ky::kPictureShown);
    }
    std::vector<ky::TFormSource> windows(1);
    windows[0].Tree = ky::ParseFormText(
        "object MainWindow: TfmForm\n  object NextLabel: TLabel\n    Caption = 'Next'\n    Tag = 3\n  end\nend\n", "m");
    windows[0].Actions = {{"NextLabel", ky::TAction{ky::akNextPicture, " ", " ", " "}}};
    forms.LoadFromText(ky::FormatDescriptionFile(windows), "KyGUI.kyu");
    services.RealStore = &store;
  }
  kytest::TTempDir dir;
  ky::TUserSettingsConfigStore store;
  ky::TKyCProject project;
  ky::TKyForms forms;
  kytest::TFakeServices services;
  ky::TConfigContext context{forms, "KyGUI.kyu", project, services};
};

void ClickNext(ky::TfmKyConfigWindow& w) {
  QWidget& label = *w.Component("NextLabel")->Widget();
  const QPointF at(1, 1);
  QMouseEvent press(QEvent::MouseButtonPress, at, label.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, label.mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&label, &press);
  QApplication::sendEvent(&label, &release);
  // The window runs the action once the click's own event is over.
  QCoreApplication::sendPostedEvents();
}

TEST(ConfigStore, AStoredIndexBeyondTheListStartsOnPictureZeroAndCloseWritesTheCurrentOne) {
  struct TCase {
    const char* stored;
    int start;
    const char* written;  // after one "Next picture"
  };
  const TCase cases[] = {{"5", 0, "Index=1"}, {"3", 0, "Index=1"}, {"2", 2, "Index=2"}, {"01", 0, "Index=1"}, {"1", 1, "Index=2"}};
  for (const TCase& c : cases) {
    kytest::TTempDir d;
    TStoreFixture f({d / "Garden.ini", true});
    kytest::WriteFile(d / "Garden.ini", std::string("[Setting]\r\nIndex=") + c.stored + "\r\n");
    auto w = ky::BuildConfigWindow(f.context, "MainWindow");
    w->show();
    EXPECT_EQ(w->CurrentPicture(), c.start) << c.stored;
    ClickNext(*w);
    w->close();
    EXPECT_NE(kytest::ReadFile(d / "Garden.ini").find(c.written), std::string::npos) << c.stored;
  }
}

TEST(ConfigStore, AStartWithoutTheConfigureSwitchOfAProgramNotNamedScrWritesNothing) {
  kytest::TTempDir d;
  TStoreFixture f(ky::UserSettingsAccessFor(d / "Garden", ""));
  ASSERT_FALSE(f.store.UserSettingsEnabled());
  auto w = ky::BuildConfigWindow(f.context, "MainWindow");
  w->show();
  ClickNext(*w);
  w->close();
  EXPECT_FALSE(kytest::Exists(d / "Garden.ini"));
  // An existing file is neither read for the index nor changed.
  kytest::WriteFile(d / "Garden.ini", "[Setting]\r\nIndex=2\r\n");
  auto w2 = ky::BuildConfigWindow(f.context, "MainWindow");
  w2->show();
  EXPECT_EQ(w2->CurrentPicture(), 0);
  w2->close();
  EXPECT_EQ(kytest::ReadFile(d / "Garden.ini"), "[Setting]\r\nIndex=2\r\n");
}

TEST(ConfigStore, TheUsersShowOptionsAreCopiedIntoTheProjectOnlyWhenTheStoreMayBeUsed) {
  kytest::TTempDir d;
  kytest::WriteFile(d / "Garden.ini",
                    "[Setting]\r\nImageSize=2\r\nImageMode=3\r\nSpeed=18\r\nSound=0\r\nMusic=0\r\nTransition=0\r\n"
                    "Duration=12\r\nDirectX=1\r\nShowClock=1\r\n");
  for (bool enabled : {true, false}) {
    ky::TUserSettingsConfigStore store({d / "Garden.ini", enabled});
    ky::TKyCProject project;
    const ky::TKyCSetting before = project.Setting();
    store.CopyUserSettingsInto(project);
    const ky::TKyCSetting& s = project.Setting();
    if (!enabled) {
      EXPECT_EQ(s.Speed, before.Speed);
      EXPECT_EQ(s.Duration, before.Duration);
      EXPECT_EQ(s.ShowImageMode, before.ShowImageMode);
      continue;
    }
    EXPECT_EQ(s.Speed, 360);
    EXPECT_TRUE(s.Stretch);
    EXPECT_TRUE(s.Proportional);
    EXPECT_EQ(s.ShowImageMode, 3);
    EXPECT_EQ(s.Duration, 12);
    EXPECT_FALSE(s.Sound || s.Music || s.Transition);
    // Not among the copied values.
    EXPECT_EQ(s.DirectX, before.DirectX);
    EXPECT_EQ(s.ShowClock, before.ShowClock);
  }
}

TEST(ConfigStore, AProjectSpeedNoPositionStandsForIsKeptUnlessTheUserChoseOne) {
  kytest::TTempDir d;
  ky::TUserSettingsConfigStore store({d / "Garden.ini", true});
  ky::TKyCProject project;
  project.Setting().Speed = 65;
  store.CopyUserSettingsInto(project);
  EXPECT_EQ(project.Setting().Speed, 65);
  kytest::WriteFile(d / "Garden.ini", "[Setting]\r\nSpeed=20\r\n");
  store.CopyUserSettingsInto(project);
  EXPECT_EQ(project.Setting().Speed, 500);
}

}  // namespace
