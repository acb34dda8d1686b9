#pragma once
// Tells when the video, drawn inside a host window, paints a picture: the frame readout
// follows playback picture by picture rather than on the one-second position timer.

#include <QObject>

#include <functional>

class QWidget;

namespace kadrel {

class PictureWatch final : public QObject {
public:
    // host gives the window the video is drawn in (none when it is not loaded).
    PictureWatch(std::function<QWidget*()> host, std::function<void()> painted);
    ~PictureWatch() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<QWidget*()> m_host;
    std::function<void()> m_painted;
};

}  // namespace kadrel
