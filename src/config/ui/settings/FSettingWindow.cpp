#include "config/ui/settings/FSettingWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "config/uUserSettingsStore.h"
#include "platform/uText.h"

namespace ky {

namespace {

constexpr int kClientWidth = 364;
constexpr int kClientHeight = 324;
constexpr int kComboHeight = 21;
constexpr int kPathRole = Qt::UserRole;

QCheckBox* CheckBox(QWidget* parent, const char* text, int left, int top) {
  auto* box = new QCheckBox(QString::fromUtf8(text), parent);
  box->move(left, top);
  box->adjustSize();
  return box;
}

QLabel* Label(QWidget* parent, const char* text, int left, int top) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QComboBox* DropDownList(QWidget* parent, std::initializer_list<const char*> items, int left, int top, int width) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(false);
  for (const char* item : items) combo->addItem(QString::fromUtf8(item));
  combo->setGeometry(left, top, width, kComboHeight);
  return combo;
}

QPushButton* Button(QWidget* parent, const char* text, int left, int top, int width, int height) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setGeometry(left, top, width, height);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TUpDown::TUpDown(QWidget* parent, QLineEdit* associate, int min, int max, int position)
    : QWidget(parent), FAssociate(associate), FMin(min), FMax(max), FPosition(min) {
  auto* up = new QToolButton(this);
  auto* down = new QToolButton(this);
  up->setArrowType(Qt::UpArrow);
  down->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up, down}) {
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRepeat(true);
  }
  // Focus by tab; the arrow keys step it.
  setFocusPolicy(Qt::StrongFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(up);
  layout->addWidget(down);
  QObject::connect(up, &QToolButton::clicked, this, [this] { Step(1); });
  QObject::connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
  SetPosition(position);
}

void TUpDown::SetPosition(int position) {
  FPosition = std::clamp(position, FMin, FMax);
  if (FAssociate) FAssociate->setText(QString::number(FPosition));
}

void TUpDown::Step(int delta) {
  // The arrows start from what the box says when it holds a number, as a bound up-down does.
  bool ok = false;
  const int typed = FAssociate ? FAssociate->text().trimmed().toInt(&ok) : 0;
  SetPosition((ok ? std::clamp(typed, FMin, FMax) : FPosition) + delta);
}

void TUpDown::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up) Step(1);
  else if (event->key() == Qt::Key_Down) Step(-1);
  else QWidget::keyPressEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick) OnClick();
}

QString QtFileFilter(const std::string& filter) {
  const size_t bar = filter.find('|');
  if (bar == std::string::npos) return QString::fromStdString(filter);
  std::string patterns = filter.substr(bar + 1);
  std::replace(patterns.begin(), patterns.end(), ';', ' ');
  return QString::fromStdString(filter.substr(0, bar) + " (" + patterns + ")");
}

TfmSettingWindow::TfmSettingWindow(QWidget* owner) : QDialog(owner) {
  setWindowTitle(QStringLiteral("Settings"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  setFont(font);

  Button1 = Button(this, "OK", 198, 289, 75, 25);
  Button2 = Button(this, "Cancel", 278, 289, 75, 25);
  // The group and the check box below lie outside the client area: never seen, but the check
  // box still carries the transition setting in and out.
  GroupBox1 = new QGroupBox(QStringLiteral("Play Mode"), this);
  GroupBox1->setGeometry(13, 334, 297, 114);
  Label3 = new TLinkLabel(QStringLiteral("Reset"), GroupBox1);
  QFont link(QStringLiteral("MS Sans Serif"));
  link.setPixelSize(11);
  link.setUnderline(true);
  Label3->setFont(link);
  Label3->setStyleSheet(QStringLiteral("color: blue"));
  Label3->setCursor(Qt::PointingHandCursor);
  Label3->move(237, 81);
  Label3->adjustSize();
  Label3->OnClick = [this] { Label3Click(); };

  PageControl1 = new QTabWidget(this);
  PageControl1->setGeometry(8, 8, 345, 273);
  TabSheet1 = new QWidget;
  TabSheet2 = new QWidget;
  PageControl1->addTab(TabSheet1, QStringLiteral("General Settings"));
  PageControl1->addTab(TabSheet2, QStringLiteral("Background Music"));
  PageControl1->setCurrentIndex(0);

  cbTransition = CheckBox(this, "Enable Transition", 22, 341);
  cbTransition->setChecked(true);

  QWidget* g = TabSheet1;
  cbMusic = CheckBox(g, "Enable Music", 29, 14);
  cbSound = CheckBox(g, "Enable Sound Effects", 142, 14);
  cbDirectX = CheckBox(g, "Use DirectX (Faster Animation)", 29, 40);
  lblImgQuality = Label(g, "Direct X Quality", 29, 69);
  cbImageQuality = DropDownList(g, {"Highest (Slower)", "Normal ", "Low (Faster)"}, 141, 67, 154);
  cbImageQuality->setCurrentIndex(1);
  Label5 = Label(g, "Image Size", 29, 101);
  cbImageSize = DropDownList(g, {"Original Size", "Stretch-Full", "Stretch-Proportional"}, 141, 97, 154);
  Label6 = Label(g, "Show Image", 30, 132);
  cbShowImageMode = DropDownList(g,
                                 {"All images - Random", "All images - Sequential",
                                  "User's favorite (checked images) - Random", "Single - Selected Image"},
                                 141, 127, 154);
  lblDuration = Label(g, "Image Duration", 30, 160);
  txtDuration = new QLineEdit(QStringLiteral("10"), g);
  txtDuration->setGeometry(140, 157, 27, 21);
  txtDuration->setMaxLength(3);
  UpDown1 = new TUpDown(g, txtDuration, 10, 999, 10);
  UpDown1->setGeometry(167, 157, 16, 21);
  lblSec = Label(g, "seconds", 196, 160);
  Label8 = Label(g, "Animation Speed", 30, 190);
  tbSpeed = new QSlider(Qt::Horizontal, g);
  tbSpeed->setGeometry(136, 189, 162, 20);
  tbSpeed->setRange(0, 20);
  tbSpeed->setValue(10);
  tbSpeed->setTickPosition(QSlider::NoTicks);
  tbSpeed->setPageStep(1);
  tbSpeed->setCursor(Qt::PointingHandCursor);
  cbShowClock = CheckBox(g, "Show Clock", 30, 218);
  cbClockPos = DropDownList(g, {"Top Left", "Top Right", "Bottom Left", "Bottom Right"}, 141, 216, 153);
  cbClockPos->setCurrentIndex(1);

  QWidget* m = TabSheet2;
  lstMusic = new QTableWidget(0, 1, m);
  lstMusic->setGeometry(7, 32, 324, 180);
  lstMusic->setHorizontalHeaderLabels({QStringLiteral("File")});
  lstMusic->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  lstMusic->verticalHeader()->hide();
  lstMusic->setShowGrid(true);
  lstMusic->setSelectionBehavior(QAbstractItemView::SelectRows);
  lstMusic->setSelectionMode(QAbstractItemView::SingleSelection);
  lstMusic->setEditTriggers(QAbstractItemView::NoEditTriggers);
  cbCustomMusic = CheckBox(m, "Use Custom Music", 7, 7);
  cbShuffleMusic = CheckBox(m, "Shuffle Playlist", 137, 7);
  Button4 = Button(m, "Remove", 50, 219, 49, 21);
  Button3 = Button(m, "Add", 8, 219, 38, 21);

  // Tab order of the form, then of each page.
  const QWidget* const chain[] = {Button1, Button2, GroupBox1, PageControl1, cbTransition};
  for (size_t i = 1; i < std::size(chain); ++i) setTabOrder(const_cast<QWidget*>(chain[i - 1]), const_cast<QWidget*>(chain[i]));
  QWidget* const general[] = {cbMusic, cbSound, cbDirectX, cbImageQuality, cbImageSize, cbShowImageMode,
                              txtDuration, UpDown1, tbSpeed, cbShowClock, cbClockPos};
  for (size_t i = 1; i < std::size(general); ++i) setTabOrder(general[i - 1], general[i]);
  QWidget* const music[] = {lstMusic, cbCustomMusic, cbShuffleMusic, Button4, Button3};
  for (size_t i = 1; i < std::size(music); ++i) setTabOrder(music[i - 1], music[i]);

  PickMusicFile = [this]() -> std::optional<std::string> {
    const QString file = QFileDialog::getOpenFileName(this, QString(), QString(), QtFileFilter(kMusicFilter), nullptr,
                                                      QFileDialog::ReadOnly);
    if (file.isEmpty()) return std::nullopt;
    return QFile::encodeName(file).toStdString();
  };
  QObject::connect(Button1, &QPushButton::clicked, this, [this] {
    Button1Click();
    accept();
  });
  QObject::connect(Button2, &QPushButton::clicked, this, [this] { reject(); });
  QObject::connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  QObject::connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
}

void TfmSettingWindow::showEvent(QShowEvent* event) {
  if (const QScreen* screen = this->screen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
  }
  FormShow();
  QDialog::showEvent(event);
}

void TfmSettingWindow::AddMusicRow(const std::string& path) {
  const int row = lstMusic->rowCount();
  lstMusic->insertRow(row);
  // The row shows the path decoded for display and keeps its bytes, which are the file's name.
  auto* item = new QTableWidgetItem(QString::fromStdString(DisplayText(path)));
  item->setData(kPathRole, QByteArray::fromStdString(path));
  lstMusic->setItem(row, 0, item);
}

std::string TfmSettingWindow::MusicRowPath(int row) const {
  return lstMusic->item(row, 0)->data(kPathRole).toByteArray().toStdString();
}

void TfmSettingWindow::FormShow() {
  for (const std::string& path : MusicList) AddMusicRow(path);
}

void TfmSettingWindow::Button1Click() {
  MusicList.clear();
  for (int row = 0; row < lstMusic->rowCount(); ++row) MusicList.push_back(MusicRowPath(row));
}

void TfmSettingWindow::Button3Click() {
  if (!PickMusicFile) return;
  const std::optional<std::string> file = PickMusicFile();
  if (!file) return;
  // The settings file keeps the path as a key; a name it cannot hold would come back changed.
  if (!IsStorableMusicPath(*file)) {
    QMessageBox::warning(this, windowTitle(),
                         QString::fromStdString("The file name \"" + DisplayText(*file) +
                                                "\" cannot be kept in the playlist: it contains \"=\", a line "
                                                "break or a blank at one end."));
    return;
  }
  AddMusicRow(*file);
}

void TfmSettingWindow::Button4Click() {
  const QModelIndexList rows = lstMusic->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  lstMusic->removeRow(rows.front().row());
}

void TfmSettingWindow::Label3Click() { tbSpeed->setValue(10); }

}  // namespace ky
