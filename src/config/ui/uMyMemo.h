#pragma once
// TMyMemo: a multi-line text whose whole text is one property: read, the lines joined with
// CR LF after each line; written, the text split at its line ends.
#include <QPlainTextEdit>

namespace ky {

class TMyMemo final : public QPlainTextEdit {
 public:
  TMyMemo();
  QString Text() const;
  void SetText(const QString& text);
};

}  // namespace ky
