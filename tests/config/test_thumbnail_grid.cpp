// The thumbnail grid on Qt's offscreen platform: layout, selection, check boxes, the cells'
// pixels (against colours worked out by hand from the drawing rules) and the thumbnails made for
// each kind of file.
#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>

#include "config/ui/thumbnails/uKyThumbnail2.h"
#include "config/ui/thumbnails/uThumbnailSource.h"
#include "bitmaptestutil.h"
#include "graphics/uJpegWriter.h"
#include "qt_test_app.h"
#include "scene/file/uSceneWriter.h"
#include "testutil.h"

using kytest::Solid;
using kytest::WriteBytes;

using namespace ky;
using kytest::TTempDir;

namespace {

std::vector<std::string> Names(int n) {
  std::vector<std::string> v;
  for (int i = 0; i < n; ++i) v.push_back("/nowhere/KyImage" + std::to_string(i) + ".jpg");
  return v;
}

void Press(TKyThumbnail2& g, QPoint at, QEvent::Type type = QEvent::MouseButtonPress) {
  QMouseEvent e(type, QPointF(at), g.viewport()->mapToGlobal(QPointF(at)),
                type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(g.viewport(), &e);
}

void Move(TKyThumbnail2& g, QPoint at) { Press(g, at, QEvent::MouseMove); }

// A scene file whose preview is one colour.
void WriteScene(const std::string& path, const std::string& title, TColor32 colour) {
  TSceneDescription d;
  d.Title = title;
  d.Width = 64;
  d.Height = 48;
  d.PictureJpeg = EncodeJpeg(Solid(64, 48, colour));
  d.PreviewJpeg = EncodeJpeg(Solid(32, 24, colour));
  d.MaskPicture = Solid(64, 48, 0xFF000000u);
  WriteBytes(path, EncodeSceneFile(d));
}

class ThumbnailGridTest : public ::testing::Test {
 protected:
  void SetUp() override { kytest::App(); }
};

}  // namespace

TEST_F(ThumbnailGridTest, LayoutFromTheWidthAndTheProperties) {
  const struct { int count, width, pictureWidth; bool multiRows, title; int cols, rows, colWidth, rowHeight; } cases[] = {
      {7, 350, 80, true, false, 3, 3, 100, 80},    // the last row holds one picture and two empty cells
      {7, 350, 80, false, false, 7, 1, 100, 80},   // one row
      {7, 350, 80, true, true, 3, 3, 100, 110},    // a title adds 30 pixels
      {6, 350, 80, true, false, 3, 2, 100, 80},    {7, 90, 80, true, false, 1, 7, 100, 80},  // at least one column
      {7, 350, 120, true, false, 2, 4, 140, 80},   {0, 350, 80, true, false, 3, 1, 100, 80},  // a grid keeps a row
  };
  for (const auto& c : cases) {
    TKyThumbnail2 g;
    g.resize(c.width, 250);
    g.SetMultiRows(c.multiRows);
    g.SetShowTitle(c.title);
    g.SetPictureWidth(c.pictureWidth);
    g.SetFiles(Names(c.count));
    EXPECT_EQ(g.ColCount(), c.cols) << c.count << " " << c.width << " " << c.pictureWidth;
    EXPECT_EQ(g.RowCount(), c.rows) << c.count << " " << c.width;
    EXPECT_EQ(g.DefaultColWidth(), c.colWidth);
    EXPECT_EQ(g.DefaultRowHeight(), c.rowHeight);
    EXPECT_EQ(g.horizontalScrollBarPolicy(), c.multiRows ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    EXPECT_EQ(g.verticalScrollBarPolicy(), c.multiRows ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  }
  TKyThumbnail2 g;
  EXPECT_EQ(g.size(), QSize(350, 250));
  EXPECT_EQ(g.PictureWidth(), 80);
  EXPECT_EQ(g.PictureHeight(), 60);
  EXPECT_FALSE(g.ShowCheckBox());
  EXPECT_FALSE(g.ShowTitle());
  EXPECT_TRUE(g.MultiRows());
  g.SetFiles(Names(7));
  g.SetMultiRows(false);
  g.show();
  EXPECT_GT(g.horizontalScrollBar()->maximum(), 0);  // 700 pixels in 350: it scrolls sideways
  g.SetMultiRows(true);
  g.resize(450, 250);  // a new size lays the grid out again
  EXPECT_EQ(g.ColCount(), 4);
  EXPECT_EQ(g.RowCount(), 2);
}

TEST_F(ThumbnailGridTest, SelectionReportsClampedIndices) {
  TKyThumbnail2 g;
  std::vector<int> reported;
  g.OnSelectItem = [&](int i) { reported.push_back(i); };
  g.SetFiles(Names(7));
  g.show();
  const auto centre = [&](int col, int row) { return g.CellRect(col, row).center(); };
  Press(g, centre(2, 0));
  Press(g, centre(1, 2));  // an empty cell of the last row
  Press(g, centre(0, 2));
  Press(g, QPoint(320, 10));  // right of the last column: no cell
  EXPECT_EQ(reported, (std::vector<int>{2, 6, 6}));
  EXPECT_EQ(g.Col(), 0);
  EXPECT_EQ(g.Row(), 2);
  reported.clear();
  g.SelectIndex(5);
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(g.Row(), 1);
  EXPECT_EQ(reported, (std::vector<int>{5}));

  TKyThumbnail2 empty;
  reported.clear();
  empty.OnSelectItem = [&](int i) { reported.push_back(i); };
  empty.SetFiles({});
  empty.show();
  Press(empty, empty.CellRect(1, 0).center());
  EXPECT_EQ(reported, (std::vector<int>{0}));
}

TEST_F(ThumbnailGridTest, CheckBoxTogglesOnlyInsideItsSquare) {
  TKyThumbnail2 g;
  g.SetShowCheckBox(true);
  g.SetFiles(Names(4));  // 3 columns: cell (1, 1) is empty
  g.show();
  g.SetChecked(1, true);
  const QPoint cell = g.CellRect(1, 0).topLeft();
  const int ph = g.PictureHeight();
  const struct { int dx, dy; bool toggles; } presses[] = {
      {13, ph + 6, true},  {24, ph + 17, true}, {12, ph + 6, false}, {25, ph + 6, false},
      {13, ph + 5, false}, {13, ph + 18, false}, {18, ph + 11, true}, {40, 30, false},
  };
  for (const auto& p : presses) {
    const bool before = g.Checked(1);
    Move(g, cell + QPoint(p.dx, p.dy));
    EXPECT_EQ(g.viewport()->cursor().shape(), p.toggles ? Qt::PointingHandCursor : Qt::ArrowCursor) << p.dx << "," << p.dy;
    Press(g, cell + QPoint(p.dx, p.dy));
    EXPECT_EQ(g.Checked(1), p.toggles ? !before : before) << p.dx << "," << p.dy;
    EXPECT_EQ(g.Col(), p.dx < 100 ? 1 : 2);  // every press on a cell selects it
  }
  // The box of an empty cell is no box.
  const QPoint empty = g.CellRect(1, 1).topLeft() + QPoint(15, ph + 8);
  Move(g, empty);
  EXPECT_EQ(g.viewport()->cursor().shape(), Qt::ArrowCursor);
  Press(g, empty);
  EXPECT_FALSE(g.Checked(4));
  // Without check boxes nothing toggles.
  g.SetShowCheckBox(false);
  const bool mark = g.Checked(1);
  Press(g, cell + QPoint(18, ph + 11));
  EXPECT_EQ(g.Checked(1), mark);
  // Marks exist for pictures 0..1000.
  g.SetChecked(1000, true);
  g.SetChecked(1001, true);
  EXPECT_TRUE(g.Checked(1000));
  EXPECT_FALSE(g.Checked(1001));
  EXPECT_FALSE(g.Checked(-1));
}

TEST_F(ThumbnailGridTest, ThumbnailsOfEveryKindOfFile) {
  TTempDir dir;
  kytest::WriteBmp24(dir / "red.bmp", 160, 120, [](int, int) { return 0xFF0000u; });
  WriteBytes(dir / "photo.JPG", EncodeJpeg(Solid(640, 480, 0xFF2080C0u), 95));
  WriteScene(dir / "lake.kyp", "Lake at dawn", 0xFF00FF00u);
  kytest::WriteFile(dir / "broken.jpg", "not a picture");
  kytest::WriteFile(dir / "broken.kyp", "not a scene");
  kytest::WriteFile(dir / "notes.txt", "text");
  const struct { std::string file, title; bool picture; TColor32 colour; } cases[] = {
      {"red.bmp", "red.bmp", true, 0xFFFF0000u},
      {"photo.JPG", "photo.JPG", true, 0xFF2080C0u},
      {"lake.kyp", "Lake at dawn", true, 0xFF00FF00u},
      {"broken.jpg", "broken.jpg", false, 0},
      {"broken.kyp", "broken.kyp", false, 0},
      {"notes.txt", "notes.txt", false, 0},
      {"missing.bmp", "missing.bmp", false, 0},
  };
  for (const QSize bad : {QSize(0, 60), QSize(80, -1), QSize(2049, 60), QSize(80, 100000)}) {
    const TThumbnail t = MakeThumbnail(dir / "red.bmp", bad.width(), bad.height());
    EXPECT_EQ(t.Picture.Width(), 0);
    EXPECT_EQ(t.Problem, "The thumbnail size is out of range.");
    EXPECT_EQ(t.Title, "red.bmp");
  }
  for (const auto& c : cases) {
    const TThumbnail t = MakeThumbnail(dir / c.file, 80, 60);
    EXPECT_EQ(t.Title, c.title);
    EXPECT_EQ(t.Problem.empty(), c.picture) << c.file << ": " << t.Problem;
    if (!c.picture) {
      EXPECT_EQ(t.Picture.Width(), 0) << c.file;
      continue;
    }
    ASSERT_EQ(t.Picture.Width(), 80) << c.file;
    ASSERT_EQ(t.Picture.Height(), 60) << c.file;
    // One colour in, the same colour out (JPEG within its rounding).
    for (const QPoint p : {QPoint(0, 0), QPoint(79, 59), QPoint(40, 30)}) {
      const TColor32 got = t.Picture.Pixel(p.x(), p.y());
      for (int shift : {0, 8, 16})
        EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((c.colour >> shift) & 0xFF), 3)
            << c.file << " at " << p.x() << "," << p.y();
    }
  }
}

TEST_F(ThumbnailGridTest, CellsArePaintedByTheRules) {
  TTempDir dir;
  kytest::WriteBmp24(dir / "a.bmp", 160, 120, [](int, int) { return 0x2080C0u; });
  kytest::WriteBmp24(dir / "b.bmp", 80, 60, [](int, int) { return 0x2080C0u; });
  const std::vector<std::string> files = {dir / "a.bmp", dir / "b.bmp", dir / "gone.bmp", dir / "c.bmp"};
  kytest::WriteBmp24(dir / "c.bmp", 80, 60, [](int, int) { return 0x2080C0u; });
  TKyThumbnail2 g;
  QPalette pal = g.palette();
  pal.setColor(QPalette::Base, Qt::white);
  pal.setColor(QPalette::Highlight, QColor(0x33, 0x99, 0xFF));
  g.setPalette(pal);
  g.SetShowCheckBox(true);
  g.SetShowTitle(true);
  g.SetFiles(files);
  g.SetChecked(3, true);
  QApplication::processEvents();
  EXPECT_FALSE(g.ThumbnailReady(0));  // nothing is made before the grid is shown
  g.show();
  ASSERT_TRUE(kytest::WaitFor([&] { return g.AllThumbnailsReady(); }));
  EXPECT_TRUE(g.ThumbnailFailed(2));
  EXPECT_EQ(g.ThumbnailProblem(2), "The file does not exist.");
  EXPECT_EQ(g.ThumbnailProblem(1), "");
  EXPECT_EQ(g.Titles(), (std::vector<std::string>{"a.bmp", "b.bmp", "gone.bmp", "c.bmp"}));
  const QImage shot = g.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const auto at = [&](int col, int row, int dx, int dy) {
    const QPoint p = g.CellRect(col, row).topLeft() + QPoint(dx, dy);
    return shot.pixel(p) & 0xFFFFFFu;
  };
  const QRgb white = 0xFFFFFF, picture = 0x2080C0;
  // MixColour(black, white, n) = 255 - 255 * n div 100 per channel.
  const QRgb frame20 = 0xCCCCCC, fill5 = 0xF3F3F3, fill10 = 0xE6E6E6, box30 = 0xB3B3B3, highlight = 0x3399FF;
  const int ph = 60;
  // Cell 1 (not selected): frame, fill, picture at (15, 15).
  EXPECT_EQ(at(1, 0, 9, 9), white);
  EXPECT_EQ(at(1, 0, 10, 10), frame20);
  EXPECT_EQ(at(1, 0, 99, 79), frame20);
  EXPECT_EQ(at(1, 0, 99, 10), frame20);
  EXPECT_EQ(at(1, 0, 12, 12), fill5);
  EXPECT_EQ(at(1, 0, 97, 77), fill5);
  EXPECT_EQ(at(1, 0, 15, 15), picture);
  EXPECT_EQ(at(1, 0, 94, 15), picture);
  EXPECT_EQ(at(1, 0, 60, 74), picture);
  EXPECT_EQ(at(1, 0, 95, 15), fill5);
  // Its unchecked box over the picture's lower left corner: outline, then the fill inside.
  EXPECT_EQ(at(1, 0, 13, ph + 6), box30);
  EXPECT_EQ(at(1, 0, 23, ph + 16), box30);
  EXPECT_EQ(at(1, 0, 14, ph + 7), white);
  EXPECT_EQ(at(1, 0, 18, ph + 11), white);
  // Cell 0 is current: the darker fill and a highlight box.
  EXPECT_EQ(at(0, 0, 13, 13), fill10);
  EXPECT_EQ(at(0, 0, 13, ph + 6), highlight);
  // Cell 2's file is missing: a crossed grey box where the picture would be.
  EXPECT_EQ(at(2, 0, 55, 16), 0xE1E1E1u);
  EXPECT_NE(at(2, 0, 15, 15), 0xE1E1E1u);
  // Cell 3 is checked: the tick is drawn, its two end pixels and the inner ring stay white.
  EXPECT_NE(at(0, 1, 17, ph + 13), white);  // both strokes cross here
  EXPECT_EQ(at(0, 1, 16, ph + 14), white);
  EXPECT_EQ(at(0, 1, 18, ph + 14), white);
  EXPECT_EQ(at(0, 1, 14, ph + 7), white);
  EXPECT_EQ(at(0, 1, 13, ph + 6), box30);
  // Below the last picture the cells are bare.
  EXPECT_EQ(at(1, 1, 10, 10), white);
  EXPECT_EQ(at(2, 1, 50, 40), white);
}

// A new list while the old one is still being made: the old pictures never reach the new cells,
// and a grid closed while its workers run goes away cleanly.
TEST_F(ThumbnailGridTest, ANewListReplacesTheOneBeingMade) {
  TTempDir dir;
  std::vector<std::string> reds, blues;
  for (int i = 0; i < 40; ++i) {
    kytest::WriteBmp24(dir / ("r" + std::to_string(i) + ".bmp"), 400, 300, [](int, int) { return 0xFF0000u; });
    kytest::WriteBmp24(dir / ("b" + std::to_string(i) + ".bmp"), 40, 30, [](int, int) { return 0x0000FFu; });
    reds.push_back(dir / ("r" + std::to_string(i) + ".bmp"));
    blues.push_back(dir / ("b" + std::to_string(i) + ".bmp"));
  }
  {
    TKyThumbnail2 g;
    g.show();
    g.SetFiles(reds);
    QApplication::processEvents();
    g.SetFiles(blues);
    ASSERT_TRUE(kytest::WaitFor([&] { return g.AllThumbnailsReady(); }));
    g.SelectIndex(39);
    const QImage shot = g.viewport()->grab().toImage();
    for (int i = 36; i < 40; ++i) {
      const QPoint p = g.CellRect(i % g.ColCount(), i / g.ColCount()).topLeft() + QPoint(40, 40);
      EXPECT_EQ(shot.pixel(p) & 0xFFFFFFu, 0x0000FFu) << i;
    }
    EXPECT_EQ(g.Titles().front(), "b0.bmp");
  }
  TKyThumbnail2* closing = new TKyThumbnail2;
  closing->show();
  closing->SetFiles(reds);
  delete closing;  // joins the workers; their late results are dropped with the grid
  QApplication::processEvents();
}
