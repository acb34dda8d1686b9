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

void VideoSurface::paintEvent(QPaintEvent*)
{
    if (m_stale || m_image.size() != size()) {
        m_image = m_source(size());
        m_stale = false;
    }
    QPainter painter(this);
    if (m_image.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(rect(), m_image);
}

}  // namespace kadrel::ffmpeg
