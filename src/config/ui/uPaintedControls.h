#pragma once
// Controls that paint themselves: panels with bevels, shapes, bevels and pictures. TMyShape and
// TMyBevel are the shape and bevel that report clicks.
#include <QFrame>
#include <QImage>
#include <QWidget>

#include "config/ui/uClickable.h"
#include "config/ui/uFormClasses.h"

namespace ky {

enum class TBevelCut { None, Lowered, Raised, Space };

// Draws the two-colour edge of a bevel of the given width around r; returns r inside it.
QRect DrawBevelEdge(QPainter& p, QRect r, TBevelCut cut, int width);

class TKyPanel final : public QWidget, public TClickable {
 public:
  TBevelCut BevelOuter = TBevelCut::Raised;
  TBevelCut BevelInner = TBevelCut::None;
  int BevelWidth = 1;
  int BorderWidth = 0;
  QString Caption;
  Qt::Alignment CaptionAlignment = Qt::AlignCenter;
  void UpdateMargins();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
};

class TKyShape final : public QWidget, public TClickable {
 public:
  enum class TKind { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };
  TKind Kind = TKind::Rectangle;
  QColor BrushColour = Qt::white;
  bool BrushClear = false;
  QColor PenColour = Qt::black;
  int PenWidth = 1;
  bool PenClear = false;
  bool ReportsClicks = false;  // TMyShape

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
};

class TKyBevel final : public QWidget, public TClickable {
 public:
  enum class TKind { Box, Frame, TopLine, BottomLine, LeftLine, RightLine, Spacer };
  TKind Kind = TKind::Box;
  bool Raised = false;
  bool ReportsClicks = false;  // TMyBevel

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
};

// TImage. A bitmap picture drawn with Transparent leaves out the colour of its bottom-left pixel.
class TKyImage : public QWidget, public TClickable {
 public:
  TKyImage();
  void SetPicture(QImage image, bool isBitmap);
  const QImage& Picture() const { return FPicture; }
  bool AutoSize = false;
  bool Stretch = false;
  bool Center = false;
  bool Proportional = false;
  bool Transparent = false;
  void Loaded();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QImage FPicture;
  QImage FKeyed;  // the picture with its transparent colour left out
  bool FIsBitmap = false;
};

// The picture properties of TImage, for the classes built on it.
void AddImageProperties(TFormClass& cls);

}  // namespace ky
