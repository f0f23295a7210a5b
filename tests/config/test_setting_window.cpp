// The settings dialog on Qt's offscreen platform: its layout, its handlers, and the caller's
// sequence run modally with a timer acting as the user.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <chrono>
#include <functional>

#include "config/ui/settings/FSettingWindow.h"
#include "config/ui/settings/uSettingDialogRun.h"
#include "package/uCreatorProject.h"
#include "platform/uError.h"
#include "platform/uText.h"
#include "qt_test_app.h"
#include "testutil.h"

using namespace ky;
using kytest::TTempDir;

namespace {

using kytest::App;

// Acts as the user once a modal window of type T is up: runs `act` on it. A window that never
// comes, or stays after the deadline, is closed so the test cannot hang.
template <typename T>
void WhenModal(std::function<void(T&)> act) {
  auto* timer = new QTimer(&App());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act, deadline] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* window = dynamic_cast<T*>(modal); window && window->isVisible()) {
      timer->stop();
      timer->deleteLater();
      act(*window);
    } else if (std::chrono::steady_clock::now() > deadline) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal window came";
      if (modal) modal->close();
    }
  });
  timer->start();
}

// The lines of a file without empty ones.
std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> out;
  for (const std::string& line : SplitLines(kytest::ReadFile(path)))
    if (!line.empty()) out.push_back(line);
  return out;
}

class SettingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    project.Setting().Speed = 100;
    project.Setting().Duration = 25;
    project.Setting().Transition = false;
    project.Setting().Sound = true;
    project.Setting().Music = false;
    project.Setting().DirectX = true;
    project.Setting().DirectXQuality = 2;
    project.Setting().ShowClock = true;
    project.Setting().ClockPos = 3;
    project.Setting().ShowImageMode = 1;
    project.Setting().Stretch = true;
    project.Setting().Proportional = false;
  }
  std::string File() const { return dir / "Garden.ini"; }
  TUserSettingsAccess Access() const { return {File(), true}; }
  TTempDir dir;
  TKyCProject project;
};

}  // namespace

TEST_F(SettingWindowTest, LaidOutAsTheFixedDialog) {
  TfmSettingWindow d;
  EXPECT_EQ(d.windowTitle(), "Settings");
  EXPECT_EQ(d.minimumSize(), QSize(364, 324));
  EXPECT_EQ(d.maximumSize(), QSize(364, 324));
  EXPECT_EQ(d.font().family(), "Tahoma");
  EXPECT_EQ(d.font().pixelSize(), 11);
  const struct { QWidget* w; QRect at; } places[] = {
      {d.Button1, {198, 289, 75, 25}},       {d.Button2, {278, 289, 75, 25}},
      {d.GroupBox1, {13, 334, 297, 114}},    {d.PageControl1, {8, 8, 345, 273}},
      {d.cbImageQuality, {141, 67, 154, 21}}, {d.cbImageSize, {141, 97, 154, 21}},
      {d.cbShowImageMode, {141, 127, 154, 21}}, {d.txtDuration, {140, 157, 27, 21}},
      {d.tbSpeed, {136, 189, 162, 20}},      {d.cbClockPos, {141, 216, 153, 21}},
      {d.lstMusic, {7, 32, 324, 180}},       {d.Button4, {50, 219, 49, 21}},
      {d.Button3, {8, 219, 38, 21}},
  };
  for (const auto& p : places) EXPECT_EQ(p.w->geometry(), p.at) << p.w->metaObject()->className();
  const struct { QWidget* w; QPoint at; } corners[] = {
      {d.cbTransition, {22, 341}}, {d.Label3, {237, 81}},  {d.cbMusic, {29, 14}},       {d.cbSound, {142, 14}},
      {d.cbDirectX, {29, 40}},     {d.lblImgQuality, {29, 69}}, {d.Label5, {29, 101}},   {d.Label6, {30, 132}},
      {d.lblDuration, {30, 160}},  {d.UpDown1, {167, 157}}, {d.lblSec, {196, 160}},      {d.Label8, {30, 190}},
      {d.cbShowClock, {30, 218}},  {d.cbCustomMusic, {7, 7}}, {d.cbShuffleMusic, {137, 7}},
  };
  for (const auto& c : corners) EXPECT_EQ(c.w->pos(), c.at) << c.w->metaObject()->className();
  // The group and the transition check box lie below the client area.
  EXPECT_GE(d.GroupBox1->y(), 324);
  EXPECT_GE(d.cbTransition->y(), 324);
  EXPECT_TRUE(d.cbTransition->isChecked());
  EXPECT_EQ(d.cbTransition->text(), "Enable Transition");
  EXPECT_EQ(d.GroupBox1->title(), "Play Mode");
  EXPECT_EQ(d.Label3->text(), "Reset");
  EXPECT_EQ(d.Label3->parentWidget(), d.GroupBox1);
  EXPECT_TRUE(d.Label3->font().underline());
  EXPECT_EQ(d.Label3->cursor().shape(), Qt::PointingHandCursor);

  const auto items = [](QComboBox* c) {
    QStringList l;
    for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
    return l;
  };
  EXPECT_EQ(items(d.cbImageQuality), QStringList({"Highest (Slower)", "Normal ", "Low (Faster)"}));
  EXPECT_EQ(d.cbImageQuality->currentIndex(), 1);
  EXPECT_EQ(items(d.cbImageSize), QStringList({"Original Size", "Stretch-Full", "Stretch-Proportional"}));
  EXPECT_EQ(items(d.cbShowImageMode),
            QStringList({"All images - Random", "All images - Sequential", "User's favorite (checked images) - Random",
                         "Single - Selected Image"}));
  EXPECT_EQ(items(d.cbClockPos), QStringList({"Top Left", "Top Right", "Bottom Left", "Bottom Right"}));
  EXPECT_EQ(d.cbClockPos->currentIndex(), 1);
  const struct { QAbstractButton* b; const char* text; } texts[] = {
      {d.Button1, "OK"},         {d.Button2, "Cancel"},  {d.cbMusic, "Enable Music"},
      {d.cbSound, "Enable Sound Effects"}, {d.cbDirectX, "Use DirectX (Faster Animation)"},
      {d.cbShowClock, "Show Clock"}, {d.cbCustomMusic, "Use Custom Music"}, {d.cbShuffleMusic, "Shuffle Playlist"},
      {d.Button4, "Remove"},     {d.Button3, "Add"},
  };
  for (const auto& t : texts) EXPECT_EQ(t.b->text(), t.text);
  const struct { QLabel* l; const char* text; } labels[] = {
      {d.lblImgQuality, "Direct X Quality"}, {d.Label5, "Image Size"}, {d.Label6, "Show Image"},
      {d.lblDuration, "Image Duration"},     {d.lblSec, "seconds"},    {d.Label8, "Animation Speed"},
  };
  for (const auto& l : labels) EXPECT_EQ(l.l->text(), l.text);
  EXPECT_EQ(d.PageControl1->count(), 2);
  EXPECT_EQ(d.PageControl1->tabText(0), "General Settings");
  EXPECT_EQ(d.PageControl1->tabText(1), "Background Music");
  EXPECT_EQ(d.PageControl1->currentIndex(), 0);
  EXPECT_EQ(d.txtDuration->text(), "10");
  EXPECT_EQ(d.txtDuration->maxLength(), 3);
  EXPECT_EQ(d.UpDown1->Min(), 10);
  EXPECT_EQ(d.UpDown1->Max(), 999);
  EXPECT_EQ(d.tbSpeed->minimum(), 0);
  EXPECT_EQ(d.tbSpeed->maximum(), 20);
  EXPECT_EQ(d.tbSpeed->value(), 10);
  EXPECT_EQ(d.tbSpeed->tickPosition(), QSlider::NoTicks);
  EXPECT_EQ(d.lstMusic->columnCount(), 1);
  EXPECT_EQ(d.lstMusic->horizontalHeaderItem(0)->text(), "File");
  EXPECT_TRUE(d.lstMusic->showGrid());
  EXPECT_EQ(d.lstMusic->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(d.lstMusic->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(QtFileFilter(TfmSettingWindow::kMusicFilter), "Music Files (*.mp3 *.wma *.mid *.wav)");

  // Tab order: each control's next stop in the focus chain is the next of its list.
  const std::vector<std::vector<QWidget*>> chains = {
      {d.Button1, d.Button2, d.GroupBox1, d.PageControl1, d.cbTransition},
      {d.cbMusic, d.cbSound, d.cbDirectX, d.cbImageQuality, d.cbImageSize, d.cbShowImageMode, d.txtDuration,
       d.UpDown1, d.tbSpeed, d.cbShowClock, d.cbClockPos},
      {d.lstMusic, d.cbCustomMusic, d.cbShuffleMusic, d.Button4, d.Button3}};
  for (const auto& chain : chains)
    for (size_t i = 1; i < chain.size(); ++i) {
      QWidget* next = chain[i - 1]->nextInFocusChain();
      // Widgets that take no focus by tab (labels) and the inner parts of composite controls
      // are no stops.
      while (next && next != chain[i] && (!(next->focusPolicy() & Qt::TabFocus) || chain[i - 1]->isAncestorOf(next)))
        next = next->nextInFocusChain();
      EXPECT_EQ(next, chain[i]) << chain[i - 1]->metaObject()->className() << " #" << i;
    }
}

TEST_F(SettingWindowTest, HandlersOfTheDialog) {
  TfmSettingWindow d;
  d.MusicList = {"/m/one.mp3", "/m/two.wav"};
  d.FormShow();
  ASSERT_EQ(d.lstMusic->rowCount(), 2);
  EXPECT_EQ(d.lstMusic->item(1, 0)->text(), "/m/two.wav");

  // Remove with no row selected does nothing; with one, it removes that row.
  d.lstMusic->clearSelection();
  d.Button4->click();
  EXPECT_EQ(d.lstMusic->rowCount(), 2);
  d.lstMusic->selectRow(0);
  d.Button4->click();
  ASSERT_EQ(d.lstMusic->rowCount(), 1);
  EXPECT_EQ(d.MusicRowPath(0), "/m/two.wav");

  // Add appends what the file dialog gives, also twice; a cancelled dialog adds nothing.
  std::vector<std::optional<std::string>> answers = {std::string("/m/a.mid"), std::string("/m/a.mid"), std::nullopt,
                                                     std::string("/m/\xE9t\xE9.mp3")};
  size_t asked = 0;
  d.PickMusicFile = [&] { return answers.at(asked++); };
  for (int i = 0; i < 4; ++i) d.Button3->click();
  ASSERT_EQ(d.lstMusic->rowCount(), 4);
  EXPECT_EQ(d.MusicRowPath(1), "/m/a.mid");
  EXPECT_EQ(d.MusicRowPath(2), "/m/a.mid");
  EXPECT_EQ(d.MusicRowPath(3), "/m/\xE9t\xE9.mp3");  // a Latin-1 name keeps its bytes
  EXPECT_EQ(d.lstMusic->item(3, 0)->text(), QString::fromUtf8("/m/été.mp3"));

  // A name the settings file could not hold back is refused with a message.
  d.PickMusicFile = [] { return std::optional<std::string>("/m/a=b.mp3"); };
  QString said;
  WhenModal<QMessageBox>([&](QMessageBox& box) {
    said = box.text();
    box.accept();
  });
  d.Button3->click();
  EXPECT_EQ(d.lstMusic->rowCount(), 4);
  EXPECT_TRUE(said.contains("/m/a=b.mp3")) << said.toStdString();

  // OK's handler takes the rows as the list.
  d.Button1Click();
  EXPECT_EQ(d.MusicList, (std::vector<std::string>{"/m/two.wav", "/m/a.mid", "/m/a.mid", "/m/\xE9t\xE9.mp3"}));

  // The hidden reset link and the arrows.
  d.tbSpeed->setValue(3);
  d.Label3Click();
  EXPECT_EQ(d.tbSpeed->value(), 10);
  d.txtDuration->setText("998");
  d.UpDown1->Step(1);
  d.UpDown1->Step(1);
  EXPECT_EQ(d.txtDuration->text(), "999");
  d.txtDuration->setText("4");
  d.UpDown1->Step(-1);
  EXPECT_EQ(d.txtDuration->text(), "10");
}

TEST_F(SettingWindowTest, OkWithNothingChangedWritesTheLoadedValues) {
  kytest::WriteFile(File(), "[Setting]\r\nIndex=3\r\n[Files]\r\n1=\r\n");
  bool okEnabled = false;
  int speedShown = -1;
  WhenModal<TfmSettingWindow>([&](TfmSettingWindow& d) {
    okEnabled = d.Button1->isEnabled();
    speedShown = d.tbSpeed->value();
    d.Button1->click();
  });
  RunSettingDialog(nullptr, project, Access());
  EXPECT_TRUE(okEnabled);
  EXPECT_EQ(speedShown, 10);  // a project speed of 100 is the middle position
  // ClockPos and ShowClock come from their fixed defaults once a file exists; "Transition" from
  // the hidden check box.
  EXPECT_EQ(Lines(File()), (std::vector<std::string>{"[Setting]", "Index=3", "ImageSize=1", "ImageMode=1", "Speed=10",
                                                     "Sound=1", "Music=0", "Transition=0", "Duration=25", "DirectX=1",
                                                     "DirectXQuality=2", "CustomMusic=0", "ShuffleMusic=1", "ShowClock=0",
                                                     "ClockPos=1", "[Files]", "1="}));

  // Without a file the project's own values are written.
  std::remove(File().c_str());
  WhenModal<TfmSettingWindow>([&](TfmSettingWindow& d) { d.Button1->click(); });
  RunSettingDialog(nullptr, project, Access());
  EXPECT_EQ(Lines(File()), (std::vector<std::string>{"[Setting]", "ImageSize=1", "ImageMode=1", "Speed=10", "Sound=1",
                                                     "Music=0", "Transition=0", "Duration=25", "DirectX=1",
                                                     "DirectXQuality=2", "CustomMusic=0", "ShuffleMusic=0", "ShowClock=1",
                                                     "ClockPos=3"}));
}

TEST_F(SettingWindowTest, EditsReachTheFileOnOkOnly) {
  kytest::WriteFile(File(), "[Setting]\r\nDuration=5\r\n[MusicList]\r\n/m/old.mp3=\r\n");
  const auto edit = [](TfmSettingWindow& d) {
    d.tbSpeed->setValue(18);
    d.cbImageSize->setCurrentIndex(2);
    d.cbShowImageMode->setCurrentIndex(2);
    d.cbCustomMusic->setChecked(true);
    d.PickMusicFile = [] { return std::optional<std::string>("/m/new.wav"); };
    d.Button3->click();
    d.Button3->click();  // the same file twice: two rows
  };
  const std::string before = kytest::ReadFile(File());
  int rows = 0;
  QString durationShown;
  WhenModal<TfmSettingWindow>([&](TfmSettingWindow& d) {
    durationShown = d.txtDuration->text();
    edit(d);
    rows = d.lstMusic->rowCount();
    d.Button2->click();
  });
  RunSettingDialog(nullptr, project, Access());
  EXPECT_EQ(durationShown, "10");  // 5 reaches the box through the up-down limits
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(kytest::ReadFile(File()), before);  // Cancel writes nothing

  WhenModal<TfmSettingWindow>([&](TfmSettingWindow& d) {
    edit(d);
    d.txtDuration->setText("7");  // typed below the arrows' limit: kept
    d.Button1->click();
  });
  RunSettingDialog(nullptr, project, Access());
  const TUserSettings saved = LoadUserSettings(project, Access());
  EXPECT_EQ(saved.Speed, 18);
  EXPECT_EQ(saved.ImageSize, 2);
  EXPECT_EQ(saved.ImageMode, 2);
  EXPECT_EQ(saved.Duration, 7);
  EXPECT_TRUE(saved.CustomMusic);
  EXPECT_EQ(saved.MusicList, (std::vector<std::string>{"/m/old.mp3", "/m/new.wav"}));  // one line for the file
}

TEST_F(SettingWindowTest, FailuresSaveNothing) {
  kytest::WriteFile(File(), "[Setting]\r\nSpeed=4\r\n");
  const std::string before = kytest::ReadFile(File());
  for (const char* typed : {"1x", "abc", "", "12 "}) {
    WhenModal<TfmSettingWindow>([&](TfmSettingWindow& d) {
      d.tbSpeed->setValue(0);
      d.txtDuration->setText(typed);
      d.Button1->click();
    });
    try {
      RunSettingDialog(nullptr, project, Access());
      ADD_FAILURE() << "no error for \"" << typed << "\"";
    } catch (const TKyError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + typed + "' is not a valid integer value");
    }
    EXPECT_EQ(kytest::ReadFile(File()), before) << typed;
  }

  kytest::WriteFile(dir / "plain", "");
  const TUserSettingsAccess blocked{dir / "plain/Garden.ini", true};
  WhenModal<TfmSettingWindow>([&](TfmSettingWindow& d) { d.Button1->click(); });
  try {
    RunSettingDialog(nullptr, project, blocked);
    ADD_FAILURE() << "no error for a file that cannot be written";
  } catch (const TKyError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + blocked.FileName);
  }
}

TEST_F(SettingWindowTest, OkIsDisabledWhenTheStoreMayNotBeWritten) {
  kytest::WriteFile(File(), "[Setting]\r\nSpeed=4\r\n");
  bool okEnabled = true;
  int speedShown = -1;
  WhenModal<TfmSettingWindow>([&](TfmSettingWindow& d) {
    okEnabled = d.Button1->isEnabled();
    speedShown = d.tbSpeed->value();
    d.Button1->click();  // a disabled button does nothing
    d.tbSpeed->setValue(1);
    d.reject();
  });
  RunSettingDialog(nullptr, project, {File(), false});
  EXPECT_FALSE(okEnabled);
  EXPECT_EQ(speedShown, 10);  // the project's value, not the file's
  EXPECT_EQ(kytest::ReadFile(File()), "[Setting]\r\nSpeed=4\r\n");
}
