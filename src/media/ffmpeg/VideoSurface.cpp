#include "media/ffmpeg/VideoSurface.h"

#include <QPainter>

namespace kadrel::ffmpeg {

VideoSurface::VideoSurface(Source source) : m_source(std::move(source))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void VideoSurface::frameChanged()
{
    m_stale = true;
    if (isVisible())
        update();
}

QRect VideoSurface::pictureRect() const
{
    if (!(m_aspect > 0.0) || width() <= 0 || height() <= 0)
        return rect();
    QSize picture(width(), qRound(width() / m_aspect));
    if (picture.height() > height())
        picture = QSize(qRound(height() * m_aspect), height());
    picture = picture.expandedTo(QSize(1, 1));
    return QRect(QPoint((width() - picture.width()) / 2, (height() - picture.height()) / 2),
                 picture);
}

void VideoSurface::paintEvent(QPaintEvent*)
{
    const QRect picture = pictureRect();
    if (m_stale || m_image.size() != picture.size()) {
        m_image = m_source(picture.size());
        m_stale = false;
    }
    QPainter painter(this);
    if (m_image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The bars only: the picture covers the rest.
    const QRegion bars = QRegion(rect()) - QRegion(picture);
    for (const QRect& bar : bars)
        painter.fillRect(bar, Qt::black);
    painter.drawImage(picture, m_image);
}

}  // namespace kadrel::ffmpeg
