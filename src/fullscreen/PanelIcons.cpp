#include "fullscreen/PanelIcons.h"

#include <QPainter>
#include <QPolygonF>

#include <functional>

namespace kadrel {

namespace {

QPixmap drawIcon(int width, int height, const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    draw(painter);
    return pixmap;
}

// A triangle filling the box [left, left + width] x [0, height], its tip left or right.
void triangle(QPainter& painter, double left, double width, double height, bool pointsRight)
{
    const double base = pointsRight ? left : left + width;
    const double tip = pointsRight ? left + width : left;
    painter.drawPolygon(QPolygonF({QPointF(base, 0), QPointF(tip, height / 2),
                                   QPointF(base, height)}));
}

// Box and cone of a loudspeaker, 10 pixels wide.
void loudspeaker(QPainter& painter, double height)
{
    const double middle = height / 2;
    painter.drawRect(QRectF(0, middle - 3.5, 3.5, 7));
    painter.drawPolygon(QPolygonF({QPointF(3, middle - 3.5), QPointF(9.5, 0.5),
                                   QPointF(9.5, height - 0.5), QPointF(3, middle + 3.5)}));
}

}  // namespace

QPixmap playIcon()
{
    return drawIcon(9, 15, [](QPainter& p) { triangle(p, 0, 9, 15, true); });
}

QPixmap pauseIcon()
{
    return drawIcon(9, 15, [](QPainter& p) {
        p.drawRect(QRectF(0, 0, 3, 15));
        p.drawRect(QRectF(6, 0, 3, 15));
    });
}

QPixmap firstIcon()
{
    return drawIcon(18, 15, [](QPainter& p) {
        p.drawRect(QRectF(0, 0, 2, 15));
        triangle(p, 2, 8, 15, false);
        triangle(p, 10, 8, 15, false);
    });
}

QPixmap lastIcon()
{
    return drawIcon(18, 15, [](QPainter& p) {
        triangle(p, 0, 8, 15, true);
        triangle(p, 8, 8, 15, true);
        p.drawRect(QRectF(16, 0, 2, 15));
    });
}

QPixmap stepBackIcon()
{
    return drawIcon(16, 11, [](QPainter& p) {
        triangle(p, 0, 8, 11, false);
        triangle(p, 8, 8, 11, false);
    });
}

QPixmap stepForwardIcon()
{
    return drawIcon(16, 11, [](QPainter& p) {
        triangle(p, 0, 8, 11, true);
        triangle(p, 8, 8, 11, true);
    });
}

QPixmap soundOnIcon()
{
    return drawIcon(20, 17, [](QPainter& p) {
        loudspeaker(p, 17);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap));
        // Two waves, centred on the cone's mouth.
        p.drawArc(QRectF(6, 4.5, 7, 8), -50 * 16, 100 * 16);
        p.drawArc(QRectF(5, 1, 13.5, 15), -55 * 16, 110 * 16);
    });
}

QPixmap soundOffIcon()
{
    return drawIcon(10, 17, [](QPainter& p) { loudspeaker(p, 17); });
}

QPixmap floppyIcon()
{
    return drawIcon(18, 18, [](QPainter& p) {
        // The body with its cut corner; the shutter and the label are cut out of it.
        p.drawPolygon(QPolygonF{{{0, 0}, {16, 0}, {18, 2}, {18, 18}, {0, 18}}});
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.drawRect(QRectF(4, 1, 9, 6));
        p.drawRect(QRectF(3, 10, 12, 7));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawRect(QRectF(10, 2, 2, 4));
        p.drawRect(QRectF(5, 12, 8, 1));
        p.drawRect(QRectF(5, 14, 8, 1));
    });
}

}  // namespace kadrel
