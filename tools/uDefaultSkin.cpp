#include "uDefaultSkin.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstring>
#include <optional>

#include "platform/uError.h"

namespace ky {

namespace {

QRectF ToQt(const TRect& r) { return QRectF(r.Left, r.Top, r.Width(), r.Height()); }
QColor ToQt(TColor32 c) { return QColor::fromRgba(c); }

void DrawButton(QPainter& p, const TSkinButton& b) {
  const QRectF r = ToQt(b.Bounds).adjusted(0.5, 0.5, -0.5, -0.5);
  const QColor fill = ToQt(b.Accent ? kSkinAccent : kSkinButton);
  p.setPen(QPen(fill.lighter(135), 1));
  p.setBrush(fill);
  p.drawRoundedRect(r, 7, 7);
  QFont font("DejaVu Sans");
  font.setPixelSize(13);
  font.setBold(b.Accent);
  p.setFont(font);
  p.setPen(QColor(0xF2, 0xF5, 0xF8));
  p.drawText(r, Qt::AlignCenter, QString::fromStdString(b.Text));
}

}  // namespace

TBitmap32 DrawDefaultSkin(const TSkinLayout& layout) {
  // Text needs a GUI application; the tool has none of its own, so one lives for the drawing,
  // always offscreen so that a build on a machine without a display paints the same.
  int argc = 3;
  char arg0[] = "kysaver-tool", arg1[] = "-platform", arg2[] = "offscreen";
  char* argv[] = {arg0, arg1, arg2, nullptr};
  // Qt's notes about the runtime folder and the like are no business of a saver's author.
  struct TQuietQt {
    QtMessageHandler Previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    ~TQuietQt() { qInstallMessageHandler(Previous); }
  } quiet;
  std::optional<QGuiApplication> app;
  if (!QGuiApplication::instance()) app.emplace(argc, argv);

  QImage image(layout.Width, layout.Height, QImage::Format_RGB32);
  if (image.isNull()) throw TKyError("the skin picture cannot be made");
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient background(0, 0, 0, layout.Height);
    background.setColorAt(0, ToQt(kSkinBackground).lighter(115));
    background.setColorAt(1, ToQt(kSkinBackground));
    p.fillRect(image.rect(), background);
    p.fillRect(ToQt(layout.Header), ToQt(kSkinHeader));
    p.fillRect(QRectF(layout.Header.Left, layout.Header.Bottom - 2, layout.Header.Width(), 2), ToQt(kSkinAccent));

    QFont title("DejaVu Sans");
    title.setPixelSize(20);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0xFF, 0xFF, 0xFF));
    const QRectF titleRect = ToQt(layout.Header).adjusted(18, 0, -(layout.Close.Width() + 24), 0);
    p.drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(QString::fromStdString(layout.Title), Qt::ElideRight,
                                          static_cast<int>(titleRect.width())));

    // The close mark: a cross in a round field.
    const QRectF close = ToQt(layout.Close);
    p.setPen(Qt::NoPen);
    p.setBrush(ToQt(kSkinButton));
    p.drawEllipse(close);
    p.setPen(QPen(QColor(0xF2, 0xF5, 0xF8), 2, Qt::SolidLine, Qt::RoundCap));
    const QRectF cross = close.adjusted(close.width() * 0.33, close.height() * 0.33, -close.width() * 0.33,
                                        -close.height() * 0.33);
    p.drawLine(cross.topLeft(), cross.bottomRight());
    p.drawLine(cross.topRight(), cross.bottomLeft());

    // The well around the preview.
    p.setPen(QPen(ToQt(kSkinButton).lighter(120), 1));
    p.setBrush(ToQt(kSkinWell));
    p.drawRoundedRect(ToQt(layout.Well).adjusted(-4.5, -4.5, 4.5, 4.5), 8, 8);

    for (const TSkinButton& b : layout.Buttons) DrawButton(p, b);
  }

  TBitmap32 bitmap(layout.Width, layout.Height);
  for (int y = 0; y < layout.Height; ++y)
    std::memcpy(bitmap.ScanLine(y), image.constScanLine(y), static_cast<size_t>(layout.Width) * 4);
  return bitmap;
}

}  // namespace ky
