#include "app/Controls.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace kadrel {

bool enabledFlag(const QWidget* control)
{
    return !control->testAttribute(Qt::WA_ForceDisabled);
}

EventSlider::EventSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    connect(this, &QAbstractSlider::rangeChanged, this, &EventSlider::spaceTicks);
}

void EventSlider::spaceTicks()
{
    constexpr int kMinTickSpacing = 6;
    const qint64 span = qint64{maximum()} - minimum();
    const qint64 room = std::max(1, width() - 12);
    int interval = 1;
    for (int step : {1, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 36000}) {
        interval = step;
        if (span / step * kMinTickSpacing <= room)
            break;
    }
    setTickInterval(interval);
}

void EventSlider::mousePressEvent(QMouseEvent* event)
{
    emit mouseDown();
    QSlider::mousePressEvent(event);
}

void EventSlider::mouseReleaseEvent(QMouseEvent* event)
{
    QSlider::mouseReleaseEvent(event);
    // Also when a drag ends outside the slider: the value moved, and the media must follow.
    emit clicked();
}

ClickableImage::ClickableImage(QWidget* parent) : QLabel(parent) {}

void ClickableImage::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ClickableImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, pixmap());
}

}  // namespace kadrel
