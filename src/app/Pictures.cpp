#include "app/Pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

namespace kadrel {

namespace {

constexpr int kIconSide = 16;

void triangle(QPainter& p, QPointF a, QPointF b, QPointF c)
{
    p.drawPolygon(QPolygonF{{a, b, c}});
}

void leftPair(QPainter& p, qreal x)
{
    triangle(p, {x + 6.5, 3}, {x, 8}, {x + 6.5, 13});
    triangle(p, {x + 13, 3}, {x + 6.5, 8}, {x + 13, 13});
}

void rightPair(QPainter& p, qreal x)
{
    triangle(p, {x, 3}, {x + 6.5, 8}, {x, 13});
    triangle(p, {x + 6.5, 3}, {x + 13, 8}, {x + 6.5, 13});
}

void speaker(QPainter& p)
{
    p.drawRect(QRectF(1.5, 6, 3, 4));
    p.drawPolygon(QPolygonF{{{4.5, 6}, {8.5, 2.5}, {8.5, 13.5}, {4.5, 10}}});
}

void soundWaves(QPainter& p, const QColor& ink)
{
    QPen pen(ink, 1.4);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6.5, 5, 5, 6), -60 * 16, 120 * 16);
    p.drawArc(QRectF(5.5, 2.5, 9, 11), -60 * 16, 120 * 16);
}

void floppy(QPainter& p, const QColor& ink)
{
    p.drawPolygon(QPolygonF{{{1.5, 1.5}, {12, 1.5}, {14.5, 4}, {14.5, 14.5}, {1.5, 14.5}}});
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 1.5, 7, 4.5));    // shutter
    p.drawRect(QRectF(3.5, 8.5, 9, 6));    // label
    p.setBrush(ink);
    p.drawRect(QRectF(8.5, 2.5, 1.5, 2.5));  // shutter window
}

void infoRing(QPainter& p, const QColor& ink)
{
    p.setPen(QPen(ink, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(7, 3.6, 2.2, 2.2));
    p.drawRect(QRectF(7.1, 6.8, 2, 5.4));
    p.drawRect(QRectF(6, 11.4, 4.2, 1));
}

void paintPicture(QPainter& p, ButtonPicture picture, const QColor& ink)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    switch (picture) {
    case ButtonPicture::Play:
        triangle(p, {4, 2}, {13, 8}, {4, 14});
        break;
    case ButtonPicture::Pause:
        p.drawRect(QRectF(4, 3, 3, 10));
        p.drawRect(QRectF(9, 3, 3, 10));
        break;
    case ButtonPicture::First:
        p.drawRect(QRectF(1, 3, 2, 10));
        leftPair(p, 3);
        break;
    case ButtonPicture::Last:
        rightPair(p, 0);
        p.drawRect(QRectF(13, 3, 2, 10));
        break;
    case ButtonPicture::StepBack:
        leftPair(p, 1.5);
        break;
    case ButtonPicture::StepForward:
        rightPair(p, 1.5);
        break;
    case ButtonPicture::SoundOn:
        speaker(p);
        soundWaves(p, ink);
        break;
    case ButtonPicture::SoundOff:
        speaker(p);
        break;
    case ButtonPicture::Capture:
        floppy(p, ink);
        break;
    case ButtonPicture::Info:
        infoRing(p, ink);
        break;
    }
}

QPixmap renderPicture(ButtonPicture picture, int scale, const QColor& ink)
{
    QPixmap pixmap(kIconSide * scale, kIconSide * scale);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    paintPicture(p, picture, ink);
    if (scale > 1)
        pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

void filmStrip(QPainter& p, const QRectF& strip)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 70, 70));
    p.drawRect(strip);
    const qreal hole = strip.width() / 9.0;
    p.setBrush(Qt::black);
    for (qreal y = strip.top() + hole * 0.6; y + hole < strip.bottom(); y += hole * 2.0) {
        p.drawRoundedRect(QRectF(strip.left() + hole * 0.6, y, hole, hole), 1, 1);
        p.drawRoundedRect(QRectF(strip.right() - hole * 1.6, y, hole, hole), 1, 1);
    }
    // One frame of the film: a sky and a hill, with the frame being "taken" marked in amber.
    const QRectF frame(strip.left() + hole * 2.2, strip.top() + strip.height() * 0.14,
                       strip.width() - hole * 4.4, strip.height() * 0.72);
    QLinearGradient sky(frame.topLeft(), frame.bottomLeft());
    sky.setColorAt(0, QColor(90, 150, 220));
    sky.setColorAt(1, QColor(200, 225, 250));
    p.setBrush(sky);
    p.drawRect(frame);
    p.setBrush(QColor(255, 205, 60));
    p.drawEllipse(QPointF(frame.left() + frame.width() * 0.7, frame.top() + frame.height() * 0.3),
                  frame.width() * 0.12, frame.width() * 0.12);
    p.setBrush(QColor(60, 130, 70));
    p.drawPolygon(QPolygonF{{frame.bottomLeft(),
                             {frame.left() + frame.width() * 0.35, frame.top() + frame.height() * 0.45},
                             {frame.left() + frame.width() * 0.65, frame.top() + frame.height() * 0.75},
                             {frame.right(), frame.top() + frame.height() * 0.55},
                             frame.bottomRight()}});
    p.setPen(QPen(QColor(255, 170, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame.adjusted(-1, -1, 1, 1));
}

}  // namespace

QIcon buttonIcon(ButtonPicture picture)
{
    const QColor grey(160, 160, 160);
    QIcon icon;
    for (int scale : {1, 2}) {
        icon.addPixmap(renderPicture(picture, scale, Qt::black), QIcon::Normal);
        icon.addPixmap(renderPicture(picture, scale, grey), QIcon::Disabled);
    }
    return icon;
}

QPixmap logoPicture(QSize size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::black);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const qreal h = size.height();
    const QRectF strip(h * 0.1, 0, h * 0.95, h);
    filmStrip(p, strip);

    const qreal textLeft = strip.right() + h * 0.2;
    QFont name(QStringLiteral("DejaVu Sans"));
    name.setStyleHint(QFont::SansSerif);
    name.setBold(true);
    name.setPixelSize(qRound(h * 0.46));
    name.setLetterSpacing(QFont::PercentageSpacing, 108);
    p.setFont(name);
    p.setPen(Qt::white);
    p.drawText(QRectF(textLeft, h * 0.04, size.width() - textLeft, h * 0.58),
               Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("KADREL"));

    QFont tagline = name;
    tagline.setBold(false);
    tagline.setLetterSpacing(QFont::PercentageSpacing, 100);
    tagline.setPixelSize(qRound(h * 0.17));
    p.setFont(tagline);
    p.setPen(QColor(255, 170, 0));
    p.drawText(QRectF(textLeft, h * 0.64, size.width() - textLeft, h * 0.3),
               Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Video Image Extractor"));
    return pixmap;
}

}  // namespace kadrel
