#pragma once
// The platform's standard controls of a window text on Qt widgets: labels, edit boxes, push
// buttons, bit buttons, check boxes, page controls with their pages, and timers.
#include <QLabel>
#include <QTabWidget>

#include "config/ui/uClickable.h"

namespace ky {

// TLabel: plain text (never rich text); reports clicks.
class TKyLabel final : public QLabel, public TClickable {
 public:
  TKyLabel();
  // The caption as written: a single "&" marks the accelerator and is not shown.
  const QString& Caption() const { return FCaption; }
  void SetCaption(const QString& caption);
  bool AutoSize = true;
  bool Transparent = false;
  QColor Colour;  // its own colour; invalid: the parent's
  // The size follows the text (the width too unless the words wrap), then the background.
  void Loaded();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void AdjustToText();
  QString FCaption;
  bool FLoaded = false;
};

// TPageControl: the page to show first is known only once its pages exist.
class TKyPageControl final : public QTabWidget {
 public:
  std::string ActivePageName;
  int ActiveIndex = -1;
};

}  // namespace ky
