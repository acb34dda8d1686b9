#pragma once
// The one media session of the program: opening and closing a file, playback, position,
// duration, frame time and volume, where the video is drawn, and the frame snapshot that
// becomes a bitmap file. Windows use the media only through this class.
//
// Failure policies, fixed per operation: OpenMedia and PlayMedia skip a failing step and go
// on; CloseMedia, PauseMedia, StopMedia and SetVolume end silently at the first failure;
// GetTimePerFrame, GetPosition, SetPosition, SetFullScreen and SaveFrameBitmap pass the
// failure to the caller. Nothing here shows a message.

#include "common/EventYield.h"
#include "common/Platform.h"
#include "common/ProgramState.h"
#include "common/Status.h"
#include "media/FrameFile.h"
#include "media/ImageFormat.h"
#include "media/MediaInterfaces.h"

#include <QString>

#include <functional>
#include <memory>

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
    // The end of the picture, which GetDuration passes when the sound runs on after it.
    Result<double> GetVideoEnd();
    Result<double> GetPosition();
    Status SetPosition(double seconds);
    // Moves the video between the picture box and the full-screen window. muteChecked is the
    // main window's mute check mark: the sound stays silent when it is set.
    Status SetFullScreen(bool fullScreen, bool muteChecked);
    // Writes the frame on show as a bitmap file at path (truncating an existing file), and
    // returns when it is written; a failure leaves no file at path.
    Status SaveFrameBitmap(const QString& path);
    // The encoders of the types other than Bitmap; without them only bitmaps can be saved.
    void setImageEncoders(ImageEncoderFactory encoders) { m_encoders = std::move(encoders); }
    // The encoding step of a type, for QueueFrameFile: a new encoder of its own each time.
    Result<FrameEncoder> FrameEncoderFor(ImageFormat format,
                                         int quality = kDefaultJpegQuality) const
    {
        return frameEncoderFor(format, m_encoders, quality);
    }
    // Writes the frame on show as an image file of the given type, as SaveFrameBitmap does.
    Status SaveFrameImage(const QString& path, ImageFormat format,
                          int quality = kDefaultJpegQuality);

    // A bulk run's files. With a writer set, QueueFrameFile converts the frame on show into
    // one of the writer's buffers and returns, and the writer encodes it and writes the file
    // behind the run, in order; without one the file is written before it returns. Either
    // returns the failure of this frame's snapshot, or of an earlier file, with that file's
    // path. FinishFrameFiles waits for the files in hand and returns the first failure.
    void setFrameWriter(std::unique_ptr<FrameWriter> writer);
    FileStatus QueueFrameFile(const QString& path, const FrameEncoder& encoder);
    FileStatus FinishFrameFiles();

    // The frame on show as a packed DIB, the snapshot the saving methods write.
    Status SnapshotFrame(FrameBuffer& buffer) { return snapshotInto(buffer); }

    const MediaSession& session() const { return m_session; }
    bool hasMedia() const { return m_session.mediaPosition != nullptr; }

private:
    void attachVideoWindow();
    void parkVideoWindow();
    void yieldOnce() const { m_yield(); }
    Status saveSnapshot(const QString& path, const FrameEncoder& encoder);
    // The frame on show as a packed DIB in buffer; nothing is written.
    Status snapshotInto(FrameBuffer& buffer);

    ProgramState& m_state;
    ScreenMetrics& m_screen;
    GraphFactory m_factory;
    EventYield m_yield;
    QWidget* m_videoHost = nullptr;
    HostLoader m_fullScreenHost;
    MediaSession m_session;
    FrameBuffer m_snapshot;  // reused from one single snapshot to the next
    std::unique_ptr<FrameWriter> m_writer;
    ImageEncoderFactory m_encoders;
};

}  // namespace kadrel
