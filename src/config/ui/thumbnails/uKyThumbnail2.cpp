#include "config/ui/thumbnails/uKyThumbnail2.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "config/ui/thumbnails/uThumbnailLoader.h"
#include "graphics/uGraphicUtil.h"
#include "platform/uText.h"

namespace ky {

namespace {

constexpr TColor32 kBlack = 0xFF000000u;

QColor Mix(TColor32 colour1, const QColor& colour2, int percent) {
  return QColor::fromRgb(MixColour(colour1, colour2.rgb(), percent));
}

// GDI's Rectangle(left, top, right, bottom): the outline runs on the pixels just inside right
// and bottom, and the inside is filled.
void GdiRectangle(QPainter& p, int left, int top, int right, int bottom) {
  p.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

bool IsSceneFile(const std::string& path) {
  const std::string name = FileNamePart(path);
  return name.size() >= 4 && UpperCaseAscii(name.substr(name.size() - 4)) == ".KYP";
}

}  // namespace

TKyThumbnail2::TKyThumbnail2(QWidget* parent) : QAbstractScrollArea(parent) {
  resize(350, 250);
  FColWidth = FPictureWidth + 20;
  FRowHeight = FPictureHeight + 20;
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setAutoFillBackground(false);
}

TKyThumbnail2::~TKyThumbnail2() = default;

void TKyThumbnail2::SetFiles(const std::vector<std::string>& files) {
  FFiles = files;
  FHasFiles = true;
  UpdateLayout();
  LoadThumbnails();
  viewport()->update();
}

void TKyThumbnail2::SetPictureWidth(int width) {
  FPictureWidth = width;
  UpdateLayout();
  LoadThumbnails();
  viewport()->update();
}

void TKyThumbnail2::SetPictureHeight(int height) {
  FPictureHeight = height;
  UpdateLayout();
  LoadThumbnails();
  viewport()->update();
}

void TKyThumbnail2::SetShowCheckBox(bool show) {
  FShowCheckBox = show;
  UpdateLayout();
  viewport()->update();
}

void TKyThumbnail2::SetShowTitle(bool show) {
  FShowTitle = show;
  UpdateLayout();
  viewport()->update();
}

void TKyThumbnail2::SetMultiRows(bool multiRows) {
  FMultiRows = multiRows;
  setVerticalScrollBarPolicy(multiRows ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(multiRows ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  UpdateLayout();
  viewport()->update();
}

bool TKyThumbnail2::Checked(int index) const { return index >= 0 && index < kMaxChecked && FChecked[index]; }

void TKyThumbnail2::SetChecked(int index, bool checked) {
  if (index >= 0 && index < kMaxChecked) FChecked[index] = checked;
}

void TKyThumbnail2::SelectIndex(int index) {
  if (FColCount <= 0) return;
  SelectCell(index % FColCount, index / FColCount);
}

QRect TKyThumbnail2::CellRect(int col, int row) const {
  return QRect(col * FColWidth - horizontalScrollBar()->value(), row * FRowHeight - verticalScrollBar()->value(),
               FColWidth, FRowHeight);
}

bool TKyThumbnail2::ThumbnailReady(int index) const {
  return index >= 0 && index < static_cast<int>(FStates.size()) && FStates[index] != TState::Pending;
}

bool TKyThumbnail2::ThumbnailFailed(int index) const {
  return index >= 0 && index < static_cast<int>(FStates.size()) && FStates[index] == TState::Failed;
}

bool TKyThumbnail2::AllThumbnailsReady() const {
  return std::none_of(FStates.begin(), FStates.end(), [](TState s) { return s == TState::Pending; });
}

void TKyThumbnail2::UpdateLayout() {
  FColWidth = FPictureWidth + 20;
  FRowHeight = FPictureHeight + 20 + (FShowTitle ? 30 : 0);
  if (!FHasFiles) return UpdateScrollBars();
  const int count = Count();
  if (FMultiRows) {
    FColCount = std::max(1, FColWidth > 0 ? width() / FColWidth : 1);
    FRowCount = count / FColCount + (count % FColCount > 0 ? 1 : 0);
  } else {
    FColCount = count;
    FRowCount = 1;
  }
  // A grid keeps at least one row and one column.
  FColCount = std::max(1, FColCount);
  FRowCount = std::max(1, FRowCount);
  FCol = std::min(FCol, FColCount - 1);
  FRow = std::min(FRow, FRowCount - 1);
  UpdateScrollBars();
}

void TKyThumbnail2::UpdateScrollBars() {
  const QSize view = viewport()->size();
  const int contentWidth = FColCount * std::max(FColWidth, 0);
  const int contentHeight = FRowCount * std::max(FRowHeight, 0);
  horizontalScrollBar()->setRange(0, FMultiRows ? 0 : std::max(0, contentWidth - view.width()));
  horizontalScrollBar()->setPageStep(std::max(1, view.width()));
  horizontalScrollBar()->setSingleStep(std::max(1, FColWidth));
  verticalScrollBar()->setRange(0, std::max(0, contentHeight - view.height()));
  verticalScrollBar()->setPageStep(std::max(1, view.height()));
  verticalScrollBar()->setSingleStep(std::max(1, FRowHeight));
}

void TKyThumbnail2::LoadThumbnails() {
  if (!FHasFiles) return;
  FLoader.reset();  // waits for the files being made under the old size or list
  ++FGeneration;
  FThumbnails.assign(FFiles.size(), QImage());
  FStates.assign(FFiles.size(), TState::Pending);
  FTitles.clear();
  for (const std::string& f : FFiles) FTitles.push_back(IsSceneFile(f) ? std::string() : FileNamePart(f));
  // The pictures are made once the grid is on screen, so the window opens without waiting.
  FLoadWhenShown = true;
  if (isVisible()) StartLoading();
}

void TKyThumbnail2::StartLoading() {
  FLoadWhenShown = false;
  if (FFiles.empty()) return;
  const unsigned generation = FGeneration;
  FLoader = std::make_unique<TThumbnailLoader>(
      FFiles, FPictureWidth, FPictureHeight, [this, generation](size_t index, TThumbnail thumbnail) {
        auto made = std::make_shared<TThumbnail>(std::move(thumbnail));
        // Runs on the grid's thread; dropped when the grid is gone by then.
        QMetaObject::invokeMethod(
            this, [this, generation, index, made] { Accept(generation, index, *made); }, Qt::QueuedConnection);
      });
}

void TKyThumbnail2::Accept(unsigned generation, size_t index, TThumbnail& t) {
  if (generation != FGeneration || index >= FFiles.size()) return;
  const int w = t.Picture.Width(), h = t.Picture.Height();
  if (w > 0 && h > 0) {
    // TColor32 rows are the layout of QImage's RGB32 format.
    FThumbnails[index] =
        QImage(reinterpret_cast<const uchar*>(t.Picture.Bits()), w, h, w * 4, QImage::Format_RGB32).copy();
    FStates[index] = TState::Ready;
  } else {
    FStates[index] = TState::Failed;
  }
  FTitles[index] = t.Title;
  const int i = static_cast<int>(index);
  if (FColCount > 0) viewport()->update(CellRect(i % FColCount, i / FColCount));
}

void TKyThumbnail2::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  if (FLoadWhenShown) StartLoading();
}

void TKyThumbnail2::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateLayout();
}

void TKyThumbnail2::scrollContentsBy(int, int) {
  // With rows, the grid never stays scrolled sideways.
  if (FMultiRows && horizontalScrollBar()->value() != 0) horizontalScrollBar()->setValue(0);
  viewport()->update();
}

void TKyThumbnail2::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QColor grid = palette().color(QPalette::Base);
  painter.fillRect(event->rect(), grid);
  if (FColWidth <= 0 || FRowHeight <= 0) return;
  const int x0 = horizontalScrollBar()->value(), y0 = verticalScrollBar()->value();
  const QRect r = event->rect();
  const int firstCol = std::max(0, (r.left() + x0) / FColWidth);
  const int lastCol = std::min(FColCount - 1, (r.right() + x0) / FColWidth);
  const int firstRow = std::max(0, (r.top() + y0) / FRowHeight);
  const int lastRow = std::min(FRowCount - 1, (r.bottom() + y0) / FRowHeight);
  for (int row = firstRow; row <= lastRow; ++row)
    for (int col = firstCol; col <= lastCol; ++col) PaintCell(painter, col, row);
}

void TKyThumbnail2::PaintCell(QPainter& p, int col, int row) const {
  const QRect cell = CellRect(col, row);
  const int left = cell.left(), top = cell.top(), right = left + cell.width(), bottom = top + cell.height();
  const QColor grid = palette().color(QPalette::Base);
  const QColor highlight = palette().color(QPalette::Highlight);
  p.setClipRect(cell);
  p.fillRect(cell, grid);
  const int i = row * FColCount + col;
  if (i >= Count()) return;
  const bool selected = col == FCol && row == FRow;
  const int pw = FPictureWidth, ph = FPictureHeight;

  // The frame.
  p.setBrush(selected ? Mix(kBlack, grid, 10) : Mix(kBlack, grid, 5));
  if (selected) {
    p.setPen(QPen(Mix(highlight.rgb(), grid, 100), 2));
    GdiRectangle(p, left + 11, top + 11, left + pw + 20, top + ph + 20);
  } else {
    p.setPen(QPen(Mix(kBlack, grid, 20), 1));
    GdiRectangle(p, left + 10, top + 10, left + pw + 20, top + ph + 20);
  }

  // The picture, or a crossed box for a file that cannot be shown.
  const int px = left + (right - left + 10 - pw) / 2, py = top + 15;
  if (FStates[i] == TState::Ready) {
    p.drawImage(px, py, FThumbnails[i]);
  } else if (FStates[i] == TState::Failed) {
    p.fillRect(QRect(px, py, pw, ph), Mix(kBlack, grid, 12));
    p.setPen(QPen(Mix(kBlack, grid, 35), 1));
    p.drawLine(px, py, px + pw - 1, py + ph - 1);
    p.drawLine(px + pw - 1, py, px, py + ph - 1);
  }

  if (FShowCheckBox && i < kMaxChecked) {
    const int x = left + 13, y = top + ph + 6;
    const QColor fill = grid;
    p.setPen(QPen(selected ? Mix(highlight.rgb(), grid, 100) : Mix(kBlack, grid, 30), 1));
    p.setBrush(fill);
    GdiRectangle(p, x, y, x + 11, y + 11);
    if (FChecked[i]) {
      p.setPen(QPen(p.pen().color(), 2));
      p.drawLine(x + 1, y + 4, x + 5, y + 8);
      p.drawLine(x + 3, y + 8, x + 9, y + 2);
      p.setPen(QPen(fill, 1));
      p.drawPoint(x + 3, y + 8);
      p.drawPoint(x + 5, y + 8);
    }
    // GDI's FrameRect(x + 1, y + 1, x + 10, y + 10) with the fill colour.
    p.setPen(QPen(fill, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(x + 1, y + 1, 8, 8));
  }

  if (FShowTitle && i < static_cast<int>(FTitles.size())) {
    p.setFont(font());
    p.setPen(selected ? palette().color(QPalette::HighlightedText) : palette().color(QPalette::Text));
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(selected ? highlight : grid);
    p.drawText(QRect(left + 10, top + ph + 24, right - left - 10, bottom - top - ph - 24),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, QString::fromStdString(DisplayText(FTitles[i])));
    p.setBackgroundMode(Qt::TransparentMode);
  }
  p.setClipping(false);
}

bool TKyThumbnail2::CellAt(const QPoint& at, int& col, int& row) const {
  if (FColWidth <= 0 || FRowHeight <= 0) return false;
  const int x = at.x() + horizontalScrollBar()->value(), y = at.y() + verticalScrollBar()->value();
  if (x < 0 || y < 0) return false;
  col = x / FColWidth;
  row = y / FRowHeight;
  return col < FColCount && row < FRowCount;
}

bool TKyThumbnail2::OverCheckBox(const QPoint& at) const {
  int col = 0, row = 0;
  if (!FShowCheckBox || !CellAt(at, col, row)) return false;
  const int i = row * FColCount + col;
  if (i >= Count() || i >= kMaxChecked) return false;
  const QRect cell = CellRect(col, row);
  const int dx = at.x() - cell.left(), dy = at.y() - cell.top();
  return dx >= 13 && dx <= 24 && dy >= FPictureHeight + 6 && dy <= FPictureHeight + 17;
}

void TKyThumbnail2::mouseMoveEvent(QMouseEvent* event) {
  viewport()->setCursor(OverCheckBox(event->position().toPoint()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
  QAbstractScrollArea::mouseMoveEvent(event);
}

void TKyThumbnail2::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  const QPoint at = event->position().toPoint();
  int col = 0, row = 0;
  const bool onCell = CellAt(at, col, row);
  if (OverCheckBox(at)) {
    const int i = row * FColCount + col;
    FChecked[i] = !FChecked[i];
    viewport()->update(CellRect(col, row));
  }
  if (onCell) SelectCell(col, row);
}

void TKyThumbnail2::keyPressEvent(QKeyEvent* event) {
  int col = FCol, row = FRow;
  switch (event->key()) {
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    default: return QAbstractScrollArea::keyPressEvent(event);
  }
  if (col >= 0 && col < FColCount && row >= 0 && row < FRowCount) SelectCell(col, row);
}

void TKyThumbnail2::SelectCell(int col, int row) {
  col = std::clamp(col, 0, std::max(0, FColCount - 1));
  row = std::clamp(row, 0, std::max(0, FRowCount - 1));
  const QRect old = CellRect(FCol, FRow);
  FCol = col;
  FRow = row;
  // Keep the current cell in view.
  const QRect now = CellRect(col, row);
  if (now.top() < 0) verticalScrollBar()->setValue(verticalScrollBar()->value() + now.top());
  else if (now.bottom() >= viewport()->height())
    verticalScrollBar()->setValue(verticalScrollBar()->value() + now.bottom() - viewport()->height() + 1);
  if (!FMultiRows) {
    if (now.left() < 0) horizontalScrollBar()->setValue(horizontalScrollBar()->value() + now.left());
    else if (now.right() >= viewport()->width())
      horizontalScrollBar()->setValue(horizontalScrollBar()->value() + now.right() - viewport()->width() + 1);
  }
  viewport()->update(old);
  viewport()->update(CellRect(col, row));
  const int i = std::max(0, std::min(row * FColCount + col, Count() - 1));
  if (OnSelectItem) OnSelectItem(i);
}

}  // namespace ky
