#pragma once
// The video window: a plain widget that paints the frame on show stretched to its whole
// rectangle (no aspect correction). The picture is made at the widget's size only when it is
// painted, so frames that are never seen cost no conversion.

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace kadrel::ffmpeg {

class VideoSurface final : public QWidget {
public:
    using Source = std::function<QImage(QSize)>;

    explicit VideoSurface(Source source);
    // The frame on show changed.
    void frameChanged();
    void setWindowStyle(std::int32_t style) { m_style = style; }
    std::int32_t windowStyle() const { return m_style; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Source m_source;
    QImage m_image;
    bool m_stale = true;
    std::int32_t m_style = 0;
};

}  // namespace kadrel::ffmpeg
