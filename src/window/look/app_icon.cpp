#include "window/look/app_icon.h"

#include <QPainter>
#include <QPixmap>

QIcon AppIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x1f, 0x5f, 0xbf));
        const qreal radius = size / 6.0;
        painter.drawRoundedRect(QRectF(0, 0, size, size), radius, radius);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setBold(true);
        font.setPixelSize(size * 11 / 16);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("#"));
        icon.addPixmap(pixmap);
    }
    return icon;
}
