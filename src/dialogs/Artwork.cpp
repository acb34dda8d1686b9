#include "dialogs/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace kadrel {

QPixmap tipBulbPicture(int side)
{
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 32.0, side / 32.0);

    QRadialGradient glass(13, 10, 14);
    glass.setColorAt(0, QColor(255, 255, 210));
    glass.setColorAt(1, QColor(250, 200, 30));
    p.setPen(QPen(QColor(150, 110, 0), 1));
    p.setBrush(glass);
    QPainterPath bulb;
    bulb.moveTo(12, 22);
    bulb.cubicTo(12, 17, 6, 15, 6, 10);
    bulb.cubicTo(6, 4, 11, 1, 16, 1);
    bulb.cubicTo(21, 1, 26, 4, 26, 10);
    bulb.cubicTo(26, 15, 20, 17, 20, 22);
    bulb.closeSubpath();
    p.drawPath(bulb);

    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(170, 170, 170));
    p.drawRoundedRect(QRectF(11.5, 22.5, 9, 6), 1.5, 1.5);
    p.drawLine(QPointF(12, 24.5), QPointF(20, 24.5));
    p.drawLine(QPointF(12, 26.5), QPointF(20, 26.5));
    p.setBrush(QColor(90, 90, 90));
    p.drawEllipse(QRectF(14, 28.5, 4, 2.5));
    return picture;
}

QPixmap aboutBanner(QSize size)
{
    QPixmap banner(size);
    QPainter p(&banner);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(24, 44, 92));
    sky.setColorAt(1, QColor(8, 16, 40));
    p.fillRect(banner.rect(), sky);

    // A strip of film with its sprocket holes down the left side.
    const int strip = size.height() * 2 / 3;
    const QRect film(10, (size.height() - strip) / 2 - 8, strip * 3 / 4, strip + 16);
    p.fillRect(film, Qt::black);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 235, 235));
    for (int y = film.top() + 3; y + 4 < film.bottom(); y += 8) {
        p.drawRect(film.left() + 3, y, 4, 4);
        p.drawRect(film.right() - 6, y, 4, 4);
    }
    p.fillRect(film.adjusted(11, 6, -11, -6), QColor(90, 150, 220));

    QFont title;
    title.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    title.setPixelSize(size.height() * 44 / 100);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    const QRect text(film.right() + 12, 4, size.width() - film.right() - 16, size.height() * 62 / 100);
    p.drawText(text, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Kadrel"));

    QFont subtitle = title;
    subtitle.setBold(false);
    subtitle.setPixelSize(size.height() * 17 / 100);
    p.setFont(subtitle);
    p.setPen(QColor(170, 200, 240));
    p.drawText(text.translated(2, text.height() + 2), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("Video Image Extractor"));
    return banner;
}

}  // namespace kadrel
