#pragma once
// The one media session of the program: opening and closing a file, playback, position,
// duration, frame time and volume, where the video is drawn, and the frame snapshot that
// becomes a bitmap file. Windows use the media only through this class.
//
// Failure policies, fixed per operation: OpenMedia and PlayMedia skip a failing step and go
// on; CloseMedia, PauseMedia, StopMedia and SetVolume end silently at the first failure;
// GetTimePerFrame, GetPosition, SetPosition, SetFullScreen and SaveFrameBitmap pass the
// failure to the caller. Nothing here shows a message.

#include "common/Platform.h"
#include "common/ProgramState.h"
#include "common/Status.h"
#include "media/FrameImageSaver.h"
#include "media/MediaInterfaces.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace kadrel {

struct MediaSession {
    std::shared_ptr<IMediaControl> graphManager;
    std::shared_ptr<IBasicAudio> basicAudio;
    std::shared_ptr<IBasicVideo> basicVideo;
    std::shared_ptr<IVideoWindow> videoWindow;
    std::shared_ptr<IMediaPosition> mediaPosition;
    QString mediaFile;
    double duration = 0.0;
    double startPosition = 0.0;
    bool playing = false;
};

class ActiveMovieControl {
public:
    using Yield = std::function<void()>;
    using HostLoader = std::function<QWidget*()>;

    // yield defaults to one pass of the Qt event loop.
    ActiveMovieControl(ProgramState& state, ScreenMetrics& screen, GraphFactory factory,
                       Yield yield = {});
    ~ActiveMovieControl();

    // The main window's picture box, and the accessor that loads the full-screen window.
    void setVideoHost(QWidget* video);
    void setFullScreenHost(HostLoader loader);

    // Returns the renderer's failure; the session is then left closed with no media loaded.
    Status OpenMedia(const QString& path);
    void CloseMedia();
    void PlayMedia();
    void PauseMedia();
    void StopMedia();
    void SetVolume(std::int32_t level);
    double GetDuration() const;
    Result<double> GetTimePerFrame();
    Result<double> GetPosition();
    Status SetPosition(double seconds);
    // Moves the video between the picture box and the full-screen window. muteChecked is the
    // main window's mute check mark: the sound stays silent when it is set.
    Status SetFullScreen(bool fullScreen, bool muteChecked);
    // Writes the frame on show as a bitmap file at path (truncating an existing file).
    Status SaveFrameBitmap(const QString& path);
    // The encoders of the types other than Bitmap; without them only bitmaps can be saved.
    void setImageEncoders(ImageEncoderFactory encoders)
    {
        m_imageSaver = FrameImageSaver(std::move(encoders));
    }
    // Writes the frame on show as an image file of the given type (see FrameImageSaver).
    Status SaveFrameImage(const QString& path, ImageFormat format,
                          int quality = kDefaultJpegQuality)
    {
        return m_imageSaver.save(*this, path, format, quality);
    }

    const MediaSession& session() const { return m_session; }
    bool hasMedia() const { return m_session.mediaPosition != nullptr; }

private:
    void attachVideoWindow();
    void parkVideoWindow();
    void yieldOnce();

    ProgramState& m_state;
    ScreenMetrics& m_screen;
    GraphFactory m_factory;
    Yield m_yield;
    QWidget* m_videoHost = nullptr;
    HostLoader m_fullScreenHost;
    MediaSession m_session;
    std::vector<unsigned char> m_frameBuffer;  // reused across snapshots of a bulk run
    FrameImageSaver m_imageSaver{{}};
};

}  // namespace kadrel
