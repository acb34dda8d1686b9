#include "media/ffmpeg/FilgraphManager.h"

#include "media/MediaErrors.h"
#include "media/ffmpeg/FfmpegLog.h"

#include <algorithm>

namespace kadrel::ffmpeg {

namespace {

constexpr int kTickMs = 5;
// Pictures this many frames late make the decoder leave out what it can; one frame or less
// lets it decode everything again.
constexpr double kBehindFrames = 3.0;

// Width over height of the picture as displayed: the stored size with the sample aspect
// ratio (the container's, else the frame's) applied, turned by a quarter-turn rotation.
double displayAspect(const AVStream* stream, const AVFrame* frame, int rotation)
{
    const AVRational sample = av_guess_sample_aspect_ratio(nullptr, const_cast<AVStream*>(stream),
                                                           const_cast<AVFrame*>(frame));
    const double pixel = sample.num > 0 && sample.den > 0 ? av_q2d(sample) : 1.0;
    const double stored = frame->width * pixel / frame->height;
    return rotation == 90 || rotation == 270 ? 1.0 / stored : stored;
}

Status stalled()
{
    return Status::failure(mediaerror::kStalled,
                           QStringLiteral("Reading the file gives no picture"));
}

bool isKeyframe(const AVFrame* frame)
{
#ifdef AV_FRAME_FLAG_KEY
    return frame->flags & AV_FRAME_FLAG_KEY;
#else
    return frame->key_frame != 0;
#endif
}

}  // namespace

FilgraphManager::FilgraphManager(SoundFactory makeSound) : m_makeSound(std::move(makeSound))
{
    routeFfmpegLog();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
}

FilgraphManager::~FilgraphManager()
{
    m_timer.stop();
    m_decodeAhead.reset();
    delete m_surface.data();
}

Status FilgraphManager::RenderFile(const QString& path)
{
    if (m_rendered)
        return Status::failure(mediaerror::kArgument, QStringLiteral("The graph already holds a file"));
    if (Status s = m_demuxer.open(path); !s)
        return s;
    if (Status s = openStreams(); !s)
        return s;
    m_decodeAhead = std::make_unique<DecodeAhead>(
        m_demuxer, m_hasVideo ? &m_videoDecoder : nullptr,
        m_audioDecoder.isOpen() ? &m_audioDecoder : nullptr, &m_resampler);
    m_rendered = true;
    if (m_hasVideo) {
        const auto shown = m_decodeAhead->showFrameAt(m_demuxer.timePerFrame() / 2, m_shown);
        if (!m_shown.frame || shown == DecodeAhead::Shown::TimedOut) {
            m_rendered = false;
            return Status::failure(mediaerror::kUnplayable,
                                   QStringLiteral("%1: no picture can be decoded").arg(path));
        }
        m_surface = new VideoSurface([this](QSize size) {
            showPendingFrame();
            return m_converter.toImage(m_shown.frame.get(), size);
        });
        m_surface->setDisplayAspect(
            displayAspect(m_demuxer.videoStream(), m_shown.frame.get(), m_demuxer.rotation()));
    }
    return {};
}

Status FilgraphManager::openStreams()
{
    Status videoStatus;
    if (AVStream* video = m_demuxer.videoStream()) {
        videoStatus = m_videoDecoder.open(video);
        m_hasVideo = videoStatus.ok();
        m_converter.setRotation(m_demuxer.rotation());
    }
    AVStream* audio = m_demuxer.audioStream();
    if (!m_hasVideo && !audio)
        return videoStatus;
    if (audio && (m_audio = m_makeSound())) {
        if (m_audioDecoder.open(audio)) {
            m_resampler.setOutput(m_audio->sampleRate(), m_audio->channels());
            applyGains();
        } else {
            m_audio.reset();
        }
    }
    return {};
}

Status FilgraphManager::checkRendered() const
{
    if (!m_rendered)
        return Status::failure(mediaerror::kNotRendered, QStringLiteral("No media has been rendered"));
    return {};
}

Status FilgraphManager::checkVideo() const
{
    if (Status s = checkRendered(); !s)
        return s;
    if (!m_hasVideo)
        return Status::failure(mediaerror::kNoVideo, QStringLiteral("The media has no video"));
    return {};
}

Status FilgraphManager::Run()
{
    if (Status s = checkRendered(); !s)
        return s;
    if (m_running)
        return {};
    m_running = true;
    m_clock.set(m_position);
    m_clock.start();
    if (soundAudible())
        startSound();
    m_timer.start();
    return {};
}

Status FilgraphManager::Pause()
{
    if (Status s = checkRendered(); !s)
        return s;
    if (!m_running)
        return {};
    m_position = get_CurrentPosition().value();
    m_running = false;
    showPendingFrame();
    m_clock.stop();
    m_timer.stop();
    stopSound();
    return {};
}

// Stop also abandons a read that hangs, so that the program can close the file.
Status FilgraphManager::Stop()
{
    const Status paused = Pause();
    if (paused && m_decodeAhead->abandonRead() && m_hasVideo)
        m_pendingKey = m_position + m_demuxer.timePerFrame() / 2;
    return paused;
}

bool FilgraphManager::soundAudible() const
{
    return m_audio && m_volume > -10000;
}

// Sound is decoded only while it runs and can be heard, so that a bulk run (silent, one
// Run per frame) never pays for it. It starts from the position, in step with the picture.
void FilgraphManager::startSound()
{
    m_audio->flush();
    m_clock.set(m_clock.now());  // the device starts afresh
    m_decodeAhead->restartSoundAt(m_clock.now());
    m_decodeAhead->setSoundWanted(true);
    m_soundOn = true;
}

void FilgraphManager::stopSound()
{
    if (!m_soundOn)
        return;
    m_decodeAhead->setSoundWanted(false);
    m_audio->flush();
    m_soundOn = false;
}

Status FilgraphManager::put_Rate(double rate)
{
    if (rate != 1.0)
        return Status::failure(mediaerror::kArgument, QStringLiteral("Only normal speed is supported"));
    return checkRendered();
}

Result<double> FilgraphManager::get_Duration()
{
    if (Status s = checkRendered(); !s)
        return s;
    return m_demuxer.duration();
}

Result<double> FilgraphManager::get_CurrentPosition()
{
    if (Status s = checkRendered(); !s)
        return s;
    if (!m_running)
        return m_position;
    // At the end of the media the graph stays there while it runs.
    return std::clamp(m_clock.now(), 0.0, m_demuxer.duration());
}

Status FilgraphManager::put_CurrentPosition(double seconds)
{
    if (Status s = checkRendered(); !s)
        return s;
    const double t = std::clamp(seconds, 0.0, std::max(m_demuxer.duration(), 0.0));
    m_position = t;
    if (m_soundOn)
        m_audio->flush();
    if (m_hasVideo) {
        m_pendingKey = t + m_demuxer.timePerFrame() / 2;
        if (m_running)
            showPendingFrame();
        else if (m_surface)
            m_surface->frameChanged();
    } else {
        m_decodeAhead->restartSoundAt(t);
    }
    m_clock.set(t);
    return {};
}

// A move of a halted graph is decoded when its frame is first needed, so that moves made
// back to back (a play command that rewinds, then the move a bulk run asks for) cost one
// decode, not a seek each. Everything that looks at the frame on show calls this first.
void FilgraphManager::showPendingFrame()
{
    if (!m_pendingKey)
        return;
    const double key = *m_pendingKey;
    m_pendingKey.reset();
    m_frameFailure = {};
    switch (m_decodeAhead->showFrameAt(key, m_shown)) {
    case DecodeAhead::Shown::Changed:
        if (m_surface)
            m_surface->frameChanged();
        break;
    case DecodeAhead::Shown::Unchanged:
        break;
    case DecodeAhead::Shown::Missing:
        m_frameFailure = Status::failure(
            mediaerror::kMissingFrame,
            QStringLiteral("The file ends before frame %1").arg(m_decodeAhead->missingFrame()));
        break;
    case DecodeAhead::Shown::TimedOut:
        m_frameFailure = stalled();
        break;
    }
}

Status FilgraphManager::checkShown()
{
    if (Status s = checkVideo(); !s)
        return s;
    showPendingFrame();
    return m_frameFailure;
}

void FilgraphManager::tick()
{
    if (!m_running)
        return;
    showPendingFrame();
    if (m_soundOn)
        m_audio->play(*m_decodeAhead, m_clock);
    const double now = m_clock.now();
    if (!m_hasVideo)
        return;
    if (m_decodeAhead->takeDueFrame(now, m_shown)) {
        if (m_surface)
            m_surface->frameChanged();
        const double late = (now - m_shown.start) / m_demuxer.timePerFrame();
        if (late > kBehindFrames || late <= 1.0)
            m_decodeAhead->setBehind(late > kBehindFrames);
    }
    endAtLastPicture(now);
}

// A file cut short ends with the last picture that decodes, not where its container says;
// keyframes only, the last one shown is no sign of a cut.
void FilgraphManager::endAtLastPicture(double now)
{
    const double t = m_demuxer.timePerFrame();
    const bool cutShort =
        !m_keyframesOnly && m_shown.start + t / 2 < m_demuxer.lastPromisedFrame();
    if (cutShort && now >= m_shown.start + t && m_decodeAhead->videoEnded()
        && !(m_soundOn && m_audio->heard()))
        m_clock.set(std::max(now, m_demuxer.duration()));
}

Status FilgraphManager::put_Volume(std::int32_t level)
{
    if (level < -10000 || level > 0)
        return Status::failure(mediaerror::kArgument, QStringLiteral("Volume out of range"));
    m_volume = level;
    applyGains();
    if (m_running && soundAudible() && !m_soundOn)
        startSound();
    else if (!soundAudible())
        stopSound();
    return {};
}

Status FilgraphManager::put_Balance(std::int32_t balance)
{
    if (balance < -10000 || balance > 10000)
        return Status::failure(mediaerror::kArgument, QStringLiteral("Balance out of range"));
    m_balance = balance;
    applyGains();
    return {};
}

void FilgraphManager::applyGains()
{
    if (!m_audio)
        return;
    const double gain = volumeGain(m_volume);
    const auto [left, right] = balanceGains(m_balance);
    m_audio->setGains(gain * left, gain * right);
}

Result<double> FilgraphManager::get_AvgTimePerFrame()
{
    if (Status s = checkVideo(); !s)
        return s;
    if (m_demuxer.timePerFrame() <= 0.0)
        return Status::failure(mediaerror::kNoVideo, QStringLiteral("The video has no frame rate"));
    return m_demuxer.timePerFrame();
}

Result<double> FilgraphManager::get_VideoEnd()
{
    if (Status s = checkVideo(); !s)
        return s;
    // A still picture ends at 0 too, but a stream that states no length has more to come.
    if (m_demuxer.videoEnd() <= 0.0 && m_demuxer.isStream())
        return Status::failure(
            mediaerror::kUnknownLength,
            QStringLiteral("The length of a video read from a pipe is not known"));
    return m_demuxer.videoEnd();
}

QSize FilgraphManager::displaySize() const
{
    const AVCodecParameters* par = m_demuxer.videoStream()->codecpar;
    const bool quarter = m_demuxer.rotation() == 90 || m_demuxer.rotation() == 270;
    return quarter ? QSize(par->height, par->width) : QSize(par->width, par->height);
}

Result<std::int32_t> FilgraphManager::get_VideoWidth()
{
    if (Status s = checkVideo(); !s)
        return s;
    showPendingFrame();
    return m_shown.frame ? m_converter.displaySize(m_shown.frame.get()).width()
                         : displaySize().width();
}

Result<std::int32_t> FilgraphManager::get_VideoHeight()
{
    if (Status s = checkVideo(); !s)
        return s;
    showPendingFrame();
    return m_shown.frame ? m_converter.displaySize(m_shown.frame.get()).height()
                         : displaySize().height();
}

Status FilgraphManager::GetCurrentImage(std::int32_t bufferSize, void* buffer)
{
    if (Status s = checkShown(); !s)
        return s;
    return m_converter.toBitmap(m_shown.frame.get(), static_cast<uint8_t*>(buffer), bufferSize);
}

Status FilgraphManager::GetCurrentImageDeep(std::int32_t bufferSize, void* buffer)
{
    if (Status s = checkShown(); !s)
        return s;
    return m_converter.toDeepImage(m_shown.frame.get(), static_cast<uint8_t*>(buffer), bufferSize);
}

Result<PictureFacts> FilgraphManager::get_CurrentPicture()
{
    if (Status s = checkShown(); !s)
        return s;
    const AVFrame* frame = m_shown.frame.get();
    // Without any, the time stamp reads AV_NOPTS_VALUE, which is INT64_MIN.
    const int64_t stamp = frame->best_effort_timestamp != AV_NOPTS_VALUE
                              ? frame->best_effort_timestamp
                              : frame->pts;
    return PictureFacts{stamp, m_shown.start, isKeyframe(frame), isInterlaced(frame),
                        m_shown.deinterlaced};
}

Status FilgraphManager::GetCurrentLuma(LumaPlane& into)
{
    if (Status s = checkShown(); !s)
        return s;
    return m_luma.read(m_shown.frame.get(), into);
}

bool FilgraphManager::GetCurrentPlanes(YuvPlanes& into)
{
    return checkShown() && m_converter.toPlanes(m_shown.frame.get(), into);
}

// The picture on show was decoded in the other mode: the position is shown afresh.
Status FilgraphManager::put_KeyframesOnly(bool only)
{
    if (Status s = checkVideo(); !s)
        return s;
    if (!m_decodeAhead->setKeyframesOnly(only))
        return {};
    m_keyframesOnly = only;
    return put_CurrentPosition(get_CurrentPosition().value());
}

// As put_KeyframesOnly: nothing decoded under the other setting is shown again.
Status FilgraphManager::put_Deinterlace(bool on)
{
    if (Status s = checkVideo(); !s)
        return s;
    if (!m_decodeAhead->setDeinterlace(on))
        return {};
    return put_CurrentPosition(get_CurrentPosition().value());
}

Status FilgraphManager::put_TargetStride(double first, double step)
{
    if (Status s = checkVideo(); !s)
        return s;
    m_decodeAhead->setStride(first + m_demuxer.timePerFrame() / 2, step);
    return {};
}

Status FilgraphManager::put_ToneMapping(bool on)
{
    if (Status s = checkVideo(); !s)
        return s;
    m_converter.setToneMapping(on);
    if (m_surface)
        m_surface->frameChanged();
    return {};
}

Result<double> FilgraphManager::get_NextPictureStart()
{
    if (Status s = checkShown(); !s)
        return s;
    double start = 0.0;
    switch (m_decodeAhead->nextStart(m_shown, start)) {
    case DecodeAhead::Next::Found:
        return start;
    case DecodeAhead::Next::Ended:
        return Status::failure(mediaerror::kNoNextPicture,
                               QStringLiteral("There is no picture after this one"));
    case DecodeAhead::Next::TimedOut:
        break;
    }
    return stalled();
}

Status FilgraphManager::put_WindowStyle(std::int32_t style)
{
    if (Status s = checkVideo(); !s)
        return s;
    m_surface->setWindowStyle(style);
    return {};
}

Status FilgraphManager::put_Left(std::int32_t left)
{
    return reshapeSurface([&](QRect& rect) { rect.moveLeft(left); });
}

Status FilgraphManager::put_Top(std::int32_t top)
{
    return reshapeSurface([&](QRect& rect) { rect.moveTop(top); });
}

Status FilgraphManager::put_Width(std::int32_t width)
{
    return reshapeSurface([&](QRect& rect) { rect.setWidth(std::max(width, 0)); });
}

Status FilgraphManager::put_Height(std::int32_t height)
{
    return reshapeSurface([&](QRect& rect) { rect.setHeight(std::max(height, 0)); });
}

Status FilgraphManager::put_Owner(QWidget* owner)
{
    if (Status s = checkVideo(); !s)
        return s;
    if (!m_surface)
        return Status::failure(mediaerror::kNoVideo, QStringLiteral("The video window is gone"));
    m_surface->setParent(owner);
    placeSurface();
    m_surface->setVisible(owner != nullptr);
    m_surface->frameChanged();
    return {};
}

Status FilgraphManager::reshapeSurface(const std::function<void(QRect&)>& change)
{
    if (Status s = checkVideo(); !s)
        return s;
    change(m_surfaceRect);
    placeSurface();
    return {};
}

void FilgraphManager::placeSurface()
{
    if (m_surface)
        m_surface->setGeometry(m_surfaceRect);
}

}  // namespace kadrel::ffmpeg
