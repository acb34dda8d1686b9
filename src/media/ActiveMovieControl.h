#pragma once
// The one media session of the program: opening and closing a file, playback, position,
// duration, frame time and volume, where the video is drawn, and the picture on show as a
// packed bitmap (output/ makes files of it). Windows use the media only through this class.
//
// Failure policies, fixed per operation: OpenMedia and PlayMedia skip a failing step and go
// on; CloseMedia, PauseMedia, StopMedia and SetVolume end silently at the first failure;
// GetTimePerFrame, GetPosition, SetPosition, SetFullScreen, GetCurrentImage and the picture
// calls of frame selections pass the failure to the caller. Nothing here shows a message.

#include "common/EventYield.h"
#include "common/Platform.h"
#include "common/ProgramState.h"
#include "common/Status.h"
#include "media/MediaInterfaces.h"

#include <QString>

#include <cstddef>
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
    QString creationTime;  // the container's recording time, ISO 8601 UTC; empty if unstated
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
    // The frame on show in the memory memoryFor gives for its size in bytes: depth 8, a packed
    // DIB (a 40-byte info header, then the rows); depth 16, a DeepImageHeader and its rows.
    using PictureMemory = std::function<unsigned char*(std::size_t bytes)>;
    Status GetCurrentImage(const PictureMemory& memoryFor, int depth = 8);
    // For frame selections: the facts and the luma of the picture on show, keyframes only or
    // every picture, and where the next picture starts.
    Result<PictureFacts> GetCurrentPicture();
    Status GetCurrentLuma(LumaPlane& into);
    // The picture on show as shared 8-bit 4:2:0 planes, where the bitmap is their plain
    // conversion; false otherwise.
    bool GetCurrentPlanes(YuvPlanes& into);
    Status SetKeyframesOnly(bool only);
    Result<double> GetNextPictureStart();
    Status SetTargetStride(double first, double step);
    // Tone mapping of HDR pictures, for the open media and every one opened after.
    Status SetToneMapping(bool on);
    // Deinterlacing, likewise; the picture on show is shown again through the new setting.
    Status SetDeinterlace(bool on);

    const MediaSession& session() const { return m_session; }
    bool hasMedia() const { return m_session.mediaPosition != nullptr; }

private:
    void attachVideoWindow();
    void parkVideoWindow();
    IBasicVideo* basicVideo();
    void yieldOnce() const { m_yield(); }

    ProgramState& m_state;
    ScreenMetrics& m_screen;
    GraphFactory m_factory;
    EventYield m_yield;
    QWidget* m_videoHost = nullptr;
    HostLoader m_fullScreenHost;
    MediaSession m_session;
    bool m_toneMapping = true;
    bool m_deinterlace = false;
};

}  // namespace kadrel
