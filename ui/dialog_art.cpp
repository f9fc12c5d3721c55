#include "ui/dialog_art.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace kvn {
namespace {

void drawRoundButton(QPainter& painter, int side, QColor light, QColor dark, QColor letter)
{
    const QRectF disc(1, 1, side - 2, side - 2);
    QRadialGradient shading(disc.center() - QPointF(side / 6.0, side / 6.0), side * 0.7);
    shading.setColorAt(0, light);
    shading.setColorAt(1, dark);
    painter.setPen(QPen(dark.darker(140), side / 24.0 + 0.5));
    painter.setBrush(shading);
    painter.drawEllipse(disc);
    // The gloss: a pale half-moon over the top.
    QColor gloss(255, 255, 255, 110);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gloss);
    painter.drawEllipse(QRectF(side * 0.2, side * 0.08, side * 0.6, side * 0.38));
    QFont font;
    font.setBold(true);
    font.setPixelSize(side * 2 / 3);
    painter.setFont(font);
    painter.setPen(letter);
    painter.drawText(disc, Qt::AlignCenter, QStringLiteral("@"));
}

void drawEnvelope(QPainter& painter, QRectF box)
{
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(QColor(250, 250, 240));
    painter.drawRect(box);
    painter.drawLine(box.topLeft(), box.center());
    painter.drawLine(box.topRight(), box.center());
}

void drawMailStore(QPainter& painter, int side)
{
    const double s = side / 16.0;
    QPainterPath roof;
    roof.moveTo(1 * s, 7 * s);
    roof.lineTo(8 * s, 1 * s);
    roof.lineTo(15 * s, 7 * s);
    roof.closeSubpath();
    painter.setPen(QPen(QColor(120, 30, 20), 1));
    painter.setBrush(QColor(200, 60, 40));
    painter.drawPath(roof);
    painter.setBrush(QColor(230, 200, 150));
    painter.drawRect(QRectF(3 * s, 7 * s, 10 * s, 8 * s));
    drawEnvelope(painter, QRectF(5 * s, 9 * s, 7 * s, 5 * s));
}

void drawInboxTray(QPainter& painter, int side)
{
    const double s = side / 16.0;
    drawEnvelope(painter, QRectF(3 * s, 2 * s, 10 * s, 7 * s));
    QPainterPath tray;
    tray.moveTo(1 * s, 9 * s);
    tray.lineTo(5 * s, 9 * s);
    tray.lineTo(6 * s, 11 * s);
    tray.lineTo(10 * s, 11 * s);
    tray.lineTo(11 * s, 9 * s);
    tray.lineTo(15 * s, 9 * s);
    tray.lineTo(15 * s, 15 * s);
    tray.lineTo(1 * s, 15 * s);
    tray.closeSubpath();
    painter.setPen(QPen(QColor(30, 60, 120), 1));
    painter.setBrush(QColor(80, 130, 210));
    painter.drawPath(tray);
}

} // namespace

QPixmap dialogPicture(DialogPicture picture, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case DialogPicture::ProductIcon:
        drawRoundButton(painter, side, QColor(140, 200, 255), QColor(20, 70, 170), Qt::white);
        break;
    case DialogPicture::BlinkIcon:
        drawRoundButton(painter, side, QColor(255, 240, 120), QColor(235, 110, 20), QColor(120, 40, 0));
        break;
    case DialogPicture::MailStore:
        drawMailStore(painter, side);
        break;
    case DialogPicture::InboxTray:
        drawInboxTray(painter, side);
        break;
    }
    return pixmap;
}

} // namespace kvn
