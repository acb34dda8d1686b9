#include "media/ActiveMovieControl.h"

#include "common/Rounding.h"
#include "common/Twips.h"
#include "media/MediaErrors.h"
#include "media/Volume.h"

#include <QWidget>

#include <algorithm>

namespace kadrel {

namespace {

// OpenMedia and PlayMedia go on past a step that fails, the last step of the others has
// nothing left to end, and a closing session has no one to tell: such a failure is dropped.
void dropFailure(const Status&) {}

Status noMedia()
{
    return Status::failure(mediaerror::kNoMedia, QStringLiteral("No media is open"));
}

}  // namespace

ActiveMovieControl::ActiveMovieControl(ProgramState& state, ScreenMetrics& screen,
                                       GraphFactory factory, Yield yield)
    : m_state(state), m_screen(screen), m_factory(std::move(factory)), m_yield(std::move(yield))
{
}

ActiveMovieControl::~ActiveMovieControl()
{
    // The video surface may belong to a host window that outlives the session object.
    if (m_session.videoWindow)
        dropFailure(m_session.videoWindow->put_Owner(nullptr));
}

void ActiveMovieControl::setVideoHost(QWidget* video)
{
    m_videoHost = video;
}

void ActiveMovieControl::setFullScreenHost(HostLoader loader)
{
    m_fullScreenHost = std::move(loader);
}

Status ActiveMovieControl::OpenMedia(const QString& path)
{
    CloseMedia();
    yieldOnce();
    m_session.mediaFile = path;
    m_session.graphManager = m_factory();

    const Status rendered = m_session.graphManager->RenderFile(path);
    if (!rendered) {
        // A file that cannot be rendered leaves no session behind.
        m_session = MediaSession{};
        m_session.mediaFile = path;
        return rendered;
    }

    m_session.creationTime = m_session.graphManager->get_CreationTime();
    m_session.basicAudio = queryInterface<IBasicAudio>(m_session.graphManager);
    if (m_session.basicAudio) {
        dropFailure(m_session.basicAudio->put_Volume(0));
        dropFailure(m_session.basicAudio->put_Balance(0));
    }
    m_session.basicVideo = queryInterface<IBasicVideo>(m_session.graphManager);
    if (m_session.basicVideo) {
        dropFailure(m_session.basicVideo->put_ToneMapping(m_toneMapping));
        if (m_deinterlace)
            dropFailure(m_session.basicVideo->put_Deinterlace(true));
    }
    m_session.videoWindow = queryInterface<IVideoWindow>(m_session.graphManager);
    attachVideoWindow();

    m_session.mediaPosition = queryInterface<IMediaPosition>(m_session.graphManager);
    m_session.duration = 0.0;
    if (m_session.mediaPosition) {
        dropFailure(m_session.mediaPosition->put_Rate(1.0));
        const Result<double> duration = m_session.mediaPosition->get_Duration();
        if (duration)
            m_session.duration = roundTo2Decimals(duration.value());
    }
    m_session.startPosition = 0.0;
    PlayMedia();
    return {};
}

// Each failing call is skipped: media without video fails them all and shows nothing.
void ActiveMovieControl::attachVideoWindow()
{
    IVideoWindow* window = m_session.videoWindow.get();
    if (!window)
        return;
    const TwipsPerPixel tpp = m_screen.twipsPerPixel();
    const double widthTwips = m_videoHost ? m_videoHost->width() * tpp.x : 0.0;
    const double heightTwips = m_videoHost ? m_videoHost->height() * tpp.y : 0.0;
    dropFailure(window->put_WindowStyle(kVideoWindowStyle));
    dropFailure(window->put_Left(0));
    dropFailure(window->put_Top(0));
    dropFailure(window->put_Width(px(widthTwips, tpp.x)));
    dropFailure(window->put_Height(px(heightTwips, tpp.y)));
    [[maybe_unused]] const auto events = queryInterface<IMediaEvent>(m_session.graphManager);
    dropFailure(window->put_Owner(m_videoHost));
}

void ActiveMovieControl::CloseMedia()
{
    m_session.playing = false;
    yieldOnce();
    if (m_session.graphManager && !m_session.graphManager->Stop())
        return;
    if (m_session.videoWindow) {
        // Far to the right of any screen, and without an owner.
        IVideoWindow& window = *m_session.videoWindow;
        if (!window.put_Left(roundToInt32Clamped(8.0 * m_screen.widthTwips()))
            || !window.put_Height(roundToInt32Clamped(8.0 * m_screen.heightTwips()))
            || !window.put_Owner(nullptr))
            return;
    }
    m_session.videoWindow.reset();
    m_session.mediaPosition.reset();
}

void ActiveMovieControl::PlayMedia()
{
    IMediaPosition* position = m_session.mediaPosition.get();
    const double start = m_session.startPosition;
    const double p = position ? position->get_CurrentPosition().valueOr(0.0) : 0.0;
    if (roundToInt32Clamped(p) < roundToInt32Clamped(start)) {
        if (position)
            dropFailure(position->put_CurrentPosition(start));
    } else {
        const double p2 = position ? position->get_CurrentPosition().valueOr(0.0) : 0.0;
        // At its end (to the whole second) the media starts again from the beginning.
        if (roundToInt32Clamped(p2) == roundToInt32Clamped(m_session.duration) && position)
            dropFailure(position->put_CurrentPosition(start));
    }
    m_session.playing = true;
    if (m_session.graphManager)
        dropFailure(m_session.graphManager->Run());
}

void ActiveMovieControl::PauseMedia()
{
    if (!m_session.playing || !m_session.graphManager)
        return;
    if (m_session.graphManager->Pause())
        m_session.playing = false;
}

void ActiveMovieControl::StopMedia()
{
    if (!m_session.playing || !m_session.graphManager)
        return;
    if (!m_session.graphManager->Stop())
        return;
    m_session.playing = false;
    if (m_session.mediaPosition)
        dropFailure(m_session.mediaPosition->put_CurrentPosition(0.0));
}

void ActiveMovieControl::SetVolume(std::int32_t level)
{
    m_session.basicAudio = queryInterface<IBasicAudio>(m_session.graphManager);
    if (!m_session.graphManager || !m_session.basicAudio)
        return;
    dropFailure(m_session.basicAudio->put_Volume(level));
}

double ActiveMovieControl::GetDuration() const
{
    return m_session.duration;
}

// The video view, asked for afresh by every call that uses it; null without media.
IBasicVideo* ActiveMovieControl::basicVideo()
{
    m_session.basicVideo = queryInterface<IBasicVideo>(m_session.graphManager);
    return m_session.basicVideo.get();
}

Result<double> ActiveMovieControl::GetTimePerFrame()
{
    IBasicVideo* video = basicVideo();
    return video ? video->get_AvgTimePerFrame() : noMedia();
}

Result<double> ActiveMovieControl::GetVideoEnd()
{
    IBasicVideo* video = basicVideo();
    return video ? video->get_VideoEnd() : noMedia();
}

Result<double> ActiveMovieControl::GetPosition()
{
    if (!m_session.playing)
        return 0.0;
    if (!m_session.mediaPosition)
        return noMedia();
    return m_session.mediaPosition->get_CurrentPosition();
}

Status ActiveMovieControl::SetPosition(double seconds)
{
    if (!m_session.playing)
        return {};
    if (!m_session.mediaPosition)
        return noMedia();
    return m_session.mediaPosition->put_CurrentPosition(seconds);
}

Status ActiveMovieControl::SetFullScreen(bool fullScreen, bool muteChecked)
{
    const auto window = queryInterface<IVideoWindow>(m_session.graphManager);
    SetVolume(kSilentVolume);
    if (!window)
        return noMedia();

    const TwipsPerPixel tpp = m_screen.twipsPerPixel();
    QWidget* host = nullptr;
    double widthTwips = 0.0;
    double heightTwips = 0.0;
    if (fullScreen) {
        widthTwips = m_screen.widthTwips();
        heightTwips = m_screen.heightTwips();
    } else if (m_videoHost) {
        widthTwips = m_videoHost->width() * tpp.x;
        heightTwips = m_videoHost->height() * tpp.y;
    }
    if (Status s = window->put_Width(px(widthTwips, tpp.x)); !s)
        return s;
    if (Status s = window->put_Height(px(heightTwips, tpp.y)); !s)
        return s;
    // Asking for the full-screen host loads that window when it is not loaded yet.
    host = fullScreen ? (m_fullScreenHost ? m_fullScreenHost() : nullptr) : m_videoHost;
    if (Status s = window->put_Owner(host); !s)
        return s;
    m_state.fullScreenActive = fullScreen;

    if (!muteChecked)
        SetVolume(volumeOfLevel(m_state.volumeLevel));
    return {};
}

Status ActiveMovieControl::GetCurrentImage(const PictureMemory& memoryFor, int depth)
{
    IBasicVideo* video = basicVideo();
    if (!video)
        return noMedia();
    const Result<std::int32_t> height = video->get_VideoHeight();
    if (!height)
        return height.status();
    const Result<std::int32_t> width = video->get_VideoWidth();
    if (!width)
        return width.status();
    const std::int64_t pixels = std::int64_t{width.value()} * height.value();
    const bool deep = depth == 16;
    const std::int64_t bytes =
        deep ? std::int64_t{sizeof(DeepImageHeader)} + pixels * kDeepPixelBytes : (pixels + 10) * 4;
    if (width.value() < 0 || height.value() < 0 || bytes > INT32_MAX)
        return Status::failure(kOverflowError, QStringLiteral("Overflow"));
    unsigned char* memory = memoryFor(static_cast<std::size_t>(bytes));
    const auto size = static_cast<std::int32_t>(bytes);
    return deep ? video->GetCurrentImageDeep(size, memory) : video->GetCurrentImage(size, memory);
}

Result<PictureFacts> ActiveMovieControl::GetCurrentPicture()
{
    IBasicVideo* video = basicVideo();
    return video ? video->get_CurrentPicture() : noMedia();
}

Status ActiveMovieControl::GetCurrentLuma(LumaPlane& into)
{
    IBasicVideo* video = basicVideo();
    return video ? video->GetCurrentLuma(into) : noMedia();
}

bool ActiveMovieControl::GetCurrentPlanes(YuvPlanes& into)
{
    IBasicVideo* video = basicVideo();
    into = {};
    return video && video->GetCurrentPlanes(into);
}

Status ActiveMovieControl::SetKeyframesOnly(bool only)
{
    IBasicVideo* video = basicVideo();
    return video ? video->put_KeyframesOnly(only) : noMedia();
}

Status ActiveMovieControl::SetTargetStride(double first, double step)
{
    IBasicVideo* video = basicVideo();
    return video ? video->put_TargetStride(first, step) : noMedia();
}

Status ActiveMovieControl::SetToneMapping(bool on)
{
    m_toneMapping = on;
    IBasicVideo* video = basicVideo();
    return video ? video->put_ToneMapping(on) : Status();
}

Status ActiveMovieControl::SetDeinterlace(bool on)
{
    m_deinterlace = on;
    IBasicVideo* video = hasMedia() ? basicVideo() : nullptr;
    return video ? video->put_Deinterlace(on) : Status();
}

Result<double> ActiveMovieControl::GetNextPictureStart()
{
    IBasicVideo* video = basicVideo();
    return video ? video->get_NextPictureStart() : noMedia();
}

}  // namespace kadrel
