#include "media/ActiveMovieControl.h"

#include "common/Rounding.h"
#include "common/Twips.h"
#include "media/MediaErrors.h"

#include <QCoreApplication>
#include <QFile>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace kadrel {

namespace {


Status noMedia()
{
    return Status::failure(mediaerror::kNoMedia, QStringLiteral("No media is open"));
}

Status errnoStatus(int error, const QString& path)
{
    return Status::failure(error, QStringLiteral("%1: %2").arg(
                                      path, QString::fromLocal8Bit(std::strerror(error))));
}

void putLe32(unsigned char* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t le32(const unsigned char* at)
{
    return at[0] | (at[1] << 8) | (at[2] << 16) | (std::uint32_t{at[3]} << 24);
}

// Bytes of the packed DIB the renderer put at the start of buffer: its header and rows, as
// the header describes them (4-byte aligned rows), never more than the buffer.
std::size_t deliveredDibSize(const std::vector<unsigned char>& buffer)
{
    const unsigned char* info = buffer.data();
    const std::int64_t width = static_cast<std::int32_t>(le32(info + 4));
    const std::int64_t height = static_cast<std::int32_t>(le32(info + 8));
    const std::int64_t bitCount = info[14] | (info[15] << 8);
    const std::int64_t stride = (std::abs(width) * bitCount + 31) / 32 * 4;
    const std::int64_t size = le32(info) + stride * std::abs(height);
    return static_cast<std::size_t>(std::clamp<std::int64_t>(size, 0, std::ssize(buffer)));
}

// Large frames go out in pieces of this size: one write of a whole 1080p frame costs the
// kernel two to eight times more than the same bytes in 256 KiB pieces.
constexpr std::size_t kWritePiece = 256 * 1024;

// Writes the header and then the body, resuming after short writes.
Status writeAll(int fd, const unsigned char* header, std::size_t headerSize,
                const unsigned char* body, std::size_t bodySize, const QString& path)
{
    std::size_t done = 0;
    const std::size_t total = headerSize + bodySize;
    while (done < total) {
        std::array<iovec, 2> parts{};
        int count = 0;
        if (done < headerSize)
            parts[count++] = {const_cast<unsigned char*>(header) + done, headerSize - done};
        const std::size_t bodyDone = done > headerSize ? done - headerSize : 0;
        parts[count++] = {const_cast<unsigned char*>(body) + bodyDone,
                          std::min(kWritePiece, bodySize - bodyDone)};
        const ssize_t written = ::writev(fd, parts.data(), count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errnoStatus(errno, path);
        }
        if (written == 0)
            return errnoStatus(ENOSPC, path);
        done += static_cast<std::size_t>(written);
    }
    return {};
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
        m_session.videoWindow->put_Owner(nullptr);
}

void ActiveMovieControl::setVideoHost(QWidget* video)
{
    m_videoHost = video;
}

void ActiveMovieControl::setFullScreenHost(HostLoader loader)
{
    m_fullScreenHost = std::move(loader);
}

void ActiveMovieControl::yieldOnce()
{
    if (m_yield)
        m_yield();
    else
        QCoreApplication::processEvents();
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

    m_session.basicAudio = queryInterface<IBasicAudio>(m_session.graphManager);
    if (m_session.basicAudio) {
        m_session.basicAudio->put_Volume(0);
        m_session.basicAudio->put_Balance(0);
    }
    m_session.basicVideo = queryInterface<IBasicVideo>(m_session.graphManager);
    m_session.videoWindow = queryInterface<IVideoWindow>(m_session.graphManager);
    attachVideoWindow();

    m_session.mediaPosition = queryInterface<IMediaPosition>(m_session.graphManager);
    m_session.duration = 0.0;
    if (m_session.mediaPosition) {
        m_session.mediaPosition->put_Rate(1.0);
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
    window->put_WindowStyle(kVideoWindowStyle);
    window->put_Left(0);
    window->put_Top(0);
    window->put_Width(px(widthTwips, tpp.x));
    window->put_Height(px(heightTwips, tpp.y));
    [[maybe_unused]] const auto events = queryInterface<IMediaEvent>(m_session.graphManager);
    window->put_Owner(m_videoHost);
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
            position->put_CurrentPosition(start);
    } else {
        const double p2 = position ? position->get_CurrentPosition().valueOr(0.0) : 0.0;
        // At its end (to the whole second) the media starts again from the beginning.
        if (roundToInt32Clamped(p2) == roundToInt32Clamped(m_session.duration) && position)
            position->put_CurrentPosition(start);
    }
    m_session.playing = true;
    if (m_session.graphManager)
        m_session.graphManager->Run();
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
        m_session.mediaPosition->put_CurrentPosition(0.0);
}

void ActiveMovieControl::SetVolume(std::int32_t level)
{
    m_session.basicAudio = queryInterface<IBasicAudio>(m_session.graphManager);
    if (!m_session.graphManager || !m_session.basicAudio)
        return;
    m_session.basicAudio->put_Volume(level);
}

double ActiveMovieControl::GetDuration() const
{
    return m_session.duration;
}

Result<double> ActiveMovieControl::GetTimePerFrame()
{
    m_session.basicVideo = queryInterface<IBasicVideo>(m_session.graphManager);
    if (!m_session.basicVideo)
        return noMedia();
    return m_session.basicVideo->get_AvgTimePerFrame();
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
    SetVolume(-10000);
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
        SetVolume(m_state.volumeLevel * 100 - 10000);
    return {};
}

Status ActiveMovieControl::SaveFrameBitmap(const QString& path)
{
    m_session.basicVideo = queryInterface<IBasicVideo>(m_session.graphManager);
    if (!m_session.graphManager)
        return {};
    if (!m_session.basicVideo)
        return noMedia();

    const Result<std::int32_t> height = m_session.basicVideo->get_VideoHeight();
    if (!height)
        return height.status();
    const Result<std::int32_t> width = m_session.basicVideo->get_VideoWidth();
    if (!width)
        return width.status();
    const std::int64_t elements = std::int64_t{width.value()} * height.value() + 10;
    const std::int64_t bytes = elements * 4;
    if (width.value() < 0 || height.value() < 0 || bytes > INT32_MAX)
        return Status::failure(kOverflowError, QStringLiteral("Overflow"));

    // The buffer is kept between calls (a bulk run writes thousands of frames); what the
    // renderer does not fill is zeroed, so the file reads as if the buffer were fresh.
    m_frameBuffer.resize(static_cast<std::size_t>(bytes));
    if (Status s = m_session.basicVideo->GetCurrentImage(static_cast<std::int32_t>(bytes),
                                                          m_frameBuffer.data());
        !s)
        return s;
    const std::size_t delivered = deliveredDibSize(m_frameBuffer);
    std::fill(m_frameBuffer.begin() + static_cast<std::ptrdiff_t>(delivered), m_frameBuffer.end(),
              0);

    // The info header as the file carries it: biSizeImage keeps its lowest and highest byte,
    // the resolutions read 72 dpi.
    unsigned char* info = m_frameBuffer.data();
    info[21] = info[22] = 0;
    info[24] = info[28] = 0x12;
    info[25] = info[29] = 0x0B;

    std::array<unsigned char, 14> fileHeader{};
    fileHeader[0] = 'B';
    fileHeader[1] = 'M';
    putLe32(&fileHeader[2], static_cast<std::uint32_t>(fileHeader.size() + bytes));
    fileHeader[10] = 54;

    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return errnoStatus(errno, path);
    Status written = writeAll(fd, fileHeader.data(), fileHeader.size(), m_frameBuffer.data(),
                              m_frameBuffer.size(), path);
    if (::close(fd) != 0 && written)
        written = errnoStatus(errno, path);
    return written;
}

}  // namespace kadrel
