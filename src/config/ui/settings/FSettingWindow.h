#pragma once
// The built-in settings dialog: the show options of the user settings file and the user's own
// playlist, on two pages, at fixed places in a fixed-size window.
#include <QDialog>
#include <QLabel>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace ky {

// Up and down arrows bound to an edit box: a click steps the position within Min..Max and
// writes it into the box; setting the position clamps it the same way.
class TUpDown : public QWidget {
 public:
  TUpDown(QWidget* parent, QLineEdit* associate, int min, int max, int position);
  void SetPosition(int position);
  int Position() const { return FPosition; }
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  void Step(int delta);  // what a click on an arrow does

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLineEdit* FAssociate;
  int FMin, FMax, FPosition;
};

// A label that acts as a link: its click runs OnClick.
class TLinkLabel : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> OnClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TfmSettingWindow : public QDialog {
 public:
  // The filter of the music file dialog, in the "name|patterns" form.
  static constexpr const char* kMusicFilter = "Music Files|*.mp3;*.wma;*.mid;*.wav";

  explicit TfmSettingWindow(QWidget* owner = nullptr);

  // The playlist the caller hands over before showing the dialog and reads after OK.
  std::vector<std::string> MusicList;

  // Asks the user for one music file (OpenDialog1); no value when the user cancels. Replaced by
  // tests, which cannot answer a real file dialog.
  std::function<std::optional<std::string>()> PickMusicFile;

  // Event handlers.
  void FormShow();
  void Button1Click();  // OK: the rows of lstMusic become the music list
  void Button3Click();  // Add
  void Button4Click();  // Remove
  void Label3Click();   // Reset

  // The file path of a row of lstMusic.
  std::string MusicRowPath(int row) const;

  QPushButton* Button1;
  QPushButton* Button2;
  QGroupBox* GroupBox1;
  TLinkLabel* Label3;
  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QWidget* TabSheet2;
  QCheckBox* cbTransition;
  // "General Settings"
  QCheckBox* cbMusic;
  QCheckBox* cbSound;
  QCheckBox* cbDirectX;
  QLabel* lblImgQuality;
  QComboBox* cbImageQuality;
  QLabel* Label5;
  QComboBox* cbImageSize;
  QLabel* Label6;
  QComboBox* cbShowImageMode;
  QLabel* lblDuration;
  QLineEdit* txtDuration;
  TUpDown* UpDown1;
  QLabel* lblSec;
  QLabel* Label8;
  QSlider* tbSpeed;
  QCheckBox* cbShowClock;
  QComboBox* cbClockPos;
  // "Background Music"
  QTableWidget* lstMusic;
  QCheckBox* cbCustomMusic;
  QCheckBox* cbShuffleMusic;
  QPushButton* Button4;
  QPushButton* Button3;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void AddMusicRow(const std::string& path);
};

// "Music Files|*.mp3;*.wma" as a file dialog filter: "Music Files (*.mp3 *.wma)".
QString QtFileFilter(const std::string& filter);

}  // namespace ky
