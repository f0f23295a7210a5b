#pragma once
// TKyThumbnail2: a scrollable grid of small pictures, one cell per picture file, painted by
// itself, with an optional check box and title per picture. The thumbnails are made on worker
// threads once the grid is shown; each cell shows an empty frame until its picture arrives.
#include <QAbstractScrollArea>
#include <QImage>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ky {

class TThumbnailLoader;
struct TThumbnail;

class TKyThumbnail2 : public QAbstractScrollArea {
 public:
  // Check marks exist for pictures 0..kMaxChecked - 1 only.
  static constexpr int kMaxChecked = 1001;

  explicit TKyThumbnail2(QWidget* parent = nullptr);
  ~TKyThumbnail2() override;

  void SetFiles(const std::vector<std::string>& files);
  const std::vector<std::string>& Files() const { return FFiles; }

  int PictureWidth() const { return FPictureWidth; }
  void SetPictureWidth(int width);
  int PictureHeight() const { return FPictureHeight; }
  void SetPictureHeight(int height);
  bool ShowCheckBox() const { return FShowCheckBox; }
  void SetShowCheckBox(bool show);
  bool ShowTitle() const { return FShowTitle; }
  void SetShowTitle(bool show);
  bool MultiRows() const { return FMultiRows; }
  void SetMultiRows(bool multiRows);

  // The mark of picture index (0..kMaxChecked - 1; false, and no effect, beyond). Writing
  // does not repaint.
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);

  // Makes the cell of picture index current (which reports it through OnSelectItem).
  void SelectIndex(int index);
  // Raised with the picture index of every cell selection, clamped to 0..count - 1.
  std::function<void(int index)> OnSelectItem;

  // The grid as it is laid out.
  int ColCount() const { return FColCount; }
  int RowCount() const { return FRowCount; }
  int DefaultColWidth() const { return FColWidth; }
  int DefaultRowHeight() const { return FRowHeight; }
  int Col() const { return FCol; }
  int Row() const { return FRow; }
  // A cell's rectangle in the coordinates of the viewport (the scrolled area).
  QRect CellRect(int col, int row) const;

  // One title per file, in file order; a file whose thumbnail has not arrived yet has its file
  // name, or nothing for a scene file, whose title is inside it.
  const std::vector<std::string>& Titles() const { return FTitles; }
  // Whether the thumbnail of picture index has arrived (also when it could not be made).
  bool ThumbnailReady(int index) const;
  bool ThumbnailFailed(int index) const;
  bool AllThumbnailsReady() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  enum class TState : unsigned char { Pending, Ready, Failed };

  void UpdateLayout();
  void UpdateScrollBars();
  void LoadThumbnails();
  void StartLoading();
  void Accept(unsigned generation, size_t index, TThumbnail& thumbnail);
  void PaintCell(class QPainter& painter, int col, int row) const;
  bool OverCheckBox(const QPoint& at) const;
  // The cell under a viewport point; false when the point lies on no cell.
  bool CellAt(const QPoint& at, int& col, int& row) const;
  void SelectCell(int col, int row);
  int Count() const { return static_cast<int>(FFiles.size()); }

  std::vector<std::string> FFiles;
  bool FHasFiles = false;
  std::vector<std::string> FTitles;
  std::vector<QImage> FThumbnails;
  std::vector<TState> FStates;
  std::array<bool, kMaxChecked> FChecked{};
  int FPictureWidth = 80;
  int FPictureHeight = 60;
  bool FShowCheckBox = false;
  bool FShowTitle = false;
  bool FMultiRows = true;
  // A string grid's own counts until files arrive.
  int FColCount = 5;
  int FRowCount = 5;
  int FColWidth = 100;
  int FRowHeight = 80;
  int FCol = 0;
  int FRow = 0;
  bool FLoadWhenShown = false;
  unsigned FGeneration = 0;
  std::unique_ptr<TThumbnailLoader> FLoader;
};

}  // namespace ky
