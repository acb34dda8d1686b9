#pragma once
// The video window: a plain widget that paints the frame on show at its display aspect ratio,
// as large as its rectangle allows, centred between black bars. The rectangle itself is where
// the placement calls put it. The picture is made at its size only when it is painted, so
// frames that are never seen cost no conversion.

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
    // Width over height of the picture as displayed (sample aspect ratio and rotation
    // applied); 0 (unknown) fills the whole rectangle.
    void setDisplayAspect(double aspect) { m_aspect = aspect; }
    // Where the picture goes inside the widget's rectangle.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Source m_source;
    QImage m_image;
    bool m_stale = true;
    std::int32_t m_style = 0;
    double m_aspect = 0.0;
};

}  // namespace kadrel::ffmpeg
