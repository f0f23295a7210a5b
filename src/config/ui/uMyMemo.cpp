#include "config/ui/uMyMemo.h"

#include <QRegularExpression>

#include "config/ui/uCommonProperties.h"
#include "config/ui/uFormValues.h"
#include "platform/uText.h"

namespace ky {

TMyMemo::TMyMemo() { setLineWrapMode(QPlainTextEdit::WidgetWidth); }

QString TMyMemo::Text() const {
  const QString plain = toPlainText();
  if (plain.isEmpty() && document()->blockCount() <= 1) return QString();
  QString out;
  for (const QString& line : plain.split('\n')) out += line + "\r\n";
  return out;
}

void TMyMemo::SetText(const QString& text) {
  QStringList lines = text.split(QRegularExpression("\r\n|\r|\n"));
  // A text ending in a line end has no further, empty line.
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  setPlainText(lines.join('\n'));
}

void RegisterMyMemo(TFormClassRegistry& r) {
  TFormClass cls;
  cls.Name = "TMyMemo";
  cls.Base = "TControl";
  cls.Create = [] { return std::make_unique<TMyMemo>(); };
  auto M = [](TFormComponent& c) -> TMyMemo& { return ObjectAs<TMyMemo>(c); };
  auto& p = cls.Properties;
  p["Text"] = TextSetter([M](TFormComponent& c, const QString& v) { M(c).SetText(v); });
  p["Lines.Strings"] = [M](TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx) {
    QStringList lines;
    for (const std::string& line : StringListValue(v, ctx)) lines << QString::fromStdString(line);
    M(c).setPlainText(lines.join('\n'));
  };
  p["ReadOnly"] = BoolSetter([M](TFormComponent& c, bool v) { M(c).setReadOnly(v); });
  p["WordWrap"] = BoolSetter([M](TFormComponent& c, bool v) {
    M(c).setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  });
  p["ScrollBars"] = IdentSetter([M](TFormComponent& c, const std::string& v) {
    const bool vertical = SameTextAscii(v, "ssVertical") || SameTextAscii(v, "ssBoth");
    const bool horizontal = SameTextAscii(v, "ssHorizontal") || SameTextAscii(v, "ssBoth");
    M(c).setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    M(c).setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  });
  // The sunken 3-D border is the platform's own look of an edit box.
  p["Ctl3D"] = NoEffect();
  p["ParentCtl3D"] = NoEffect();
  r.Register(std::move(cls));
}

}  // namespace ky
