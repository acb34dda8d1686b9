#include "media/ffmpeg/DecodeAhead.h"

#include "media/ffmpeg/KeyframeTime.h"

#include "media/ffmpeg/FfmpegLog.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

namespace kadrel::ffmpeg {

namespace {

constexpr double kSoundLow = 0.5;   // seconds of sound below which reading goes on
constexpr double kSoundHigh = 2.0;  // seconds of sound above which reading waits
// The longest a move waits for its frame: a file that gives nothing for this long is stalled.
constexpr auto kWaitLimit = std::chrono::seconds(10);

}  // namespace

DecodeAhead::DecodeAhead(Demuxer& demuxer, Decoder* video, Decoder* audio,
                         AudioResampler* resampler)
    : m_demuxer(demuxer), m_video(video), m_audio(audio), m_resampler(resampler),
      m_sound(*resampler), m_seeks(demuxer.indexedKeyframes()),
      m_references(video && demuxer.videoStream() ? demuxer.videoStream()->codecpar : nullptr)
{
    m_thread = std::thread([this] { run(); });
}

DecodeAhead::~DecodeAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_demuxer.interrupt(true);
    m_changed.notify_all();
    m_thread.join();
}

DecodeAhead::Shown DecodeAhead::showFrameAt(double key, VideoFrame& shown)
{
    std::unique_lock lock(m_mutex);
    m_soundFloor = key;
    const bool back = shown.frame && key < shown.start;
    bool fromHistory = false;
    if (const VideoFrame* kept = takenAt(key, shown); kept && kept->start != shown.start) {
        shown = shareFrame(*kept);
        if (!m_history.isNewest(kept))
            return Shown::Changed;
        fromHistory = true;  // the queue goes on from the run's newest frame
    } else if (kept && !m_history.isNewest(kept)) {
        return Shown::Unchanged;
    }
    // Off the stride, the picture for key may have been left out: it is decoded afresh.
    const bool leftStride = m_stride.step > 0 && !m_stride.holds(key);
    if (leftStride)
        m_stride = {};
    if (m_seeks.needsSeek(key, shown, m_serial, m_readUpTo) || m_lossy || m_abandoned
        || leftStride)
        startSeek(key, back && key > shown.start - 2 * m_demuxer.timePerFrame());

    const auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
    VideoFrame candidate;
    bool timedOut = false;
    const double never = std::numeric_limits<double>::infinity();
    while (waitForFrame(lock, deadline, timedOut, candidate.frame ? key : never)) {
        const bool noneYet =
            !candidate.frame && !(shown.frame && !isStale(shown.serial, m_serial));
        if (m_frames.front(m_serial)->start > key && !noneYet)
            break;
        candidate = m_frames.pop();
        m_history.add(candidate);
        m_changed.notify_all();
        if (candidate.start > key)
            break;  // nothing starts before key: the first frame it is
    }
    const bool ended = m_endedSerial == m_serial && m_frames.empty();
    if (candidate.frame) {
        shown = std::move(candidate);
        if (!back)
            m_history.moveForward(shown.start);
    }
    if (ended && shown.frame && missingAfter(shown, key))
        return Shown::Missing;
    if (timedOut)
        return Shown::TimedOut;
    return candidate.frame || fromHistory || !shown.frame ? Shown::Changed : Shown::Unchanged;
}

DecodeAhead::Next DecodeAhead::nextStart(const VideoFrame& shown, double& start)
{
    std::unique_lock lock(m_mutex);
    // After steps back the pictures up to the newest one taken are in the history.
    if (const VideoFrame* kept = takenAt(shown.start, shown);
        kept && kept->start == shown.start && !m_history.isNewest(kept)) {
        start = m_history.after(shown.start)->start;
        return Next::Found;
    }
    bool timedOut = false;
    if (!waitForFrame(lock, std::chrono::steady_clock::now() + kWaitLimit, timedOut))
        return timedOut ? Next::TimedOut : Next::Ended;
    start = m_frames.front(m_serial)->start;
    return Next::Found;
}

bool DecodeAhead::waitForFrame(std::unique_lock<std::mutex>& lock,
                               std::chrono::steady_clock::time_point deadline, bool& timedOut,
                               double upTo)
{
    while (!m_frames.front(m_serial)) {
        if (m_endedSerial == m_serial || m_queuedBefore > upTo)
            return false;
        if (m_gaveUpSerial == m_serial) {
            timedOut = true;
            return false;
        }
        ++m_frameWaits;
        m_changed.notify_all();
        timedOut = m_changed.wait_until(lock, deadline) == std::cv_status::timeout;
        --m_frameWaits;
        if (timedOut)
            return false;
    }
    return true;
}

void DecodeAhead::setStride(double firstKey, double step)
{
    std::lock_guard lock(m_mutex);
    m_stride = {firstKey, step};
}

bool DecodeAhead::Stride::holds(double key) const
{
    const double k = std::round((key - first) / step);
    return k >= 0 && std::abs(first + k * step - key) < 1e-6;
}

double DecodeAhead::Stride::nextKey(double t) const
{
    return first + std::max(std::ceil((t - first) / step - 1e-9), 0.0) * step;
}

bool DecodeAhead::setKeyframesOnly(bool only)
{
    return setMode(m_keyframesOnly, only);
}

bool DecodeAhead::setDeinterlace(bool on)
{
    return setMode(m_deinterlace, on);
}

// A mode that changes starts a new serial: nothing decoded under the other is shown.
bool DecodeAhead::setMode(bool& mode, bool on)
{
    std::lock_guard lock(m_mutex);
    if (on == mode)
        return false;
    mode = on;
    newSerial();
    return true;
}

// Whether key lies past last, the final frame decoded, while the container promises frames
// after it: then the data of those frames is not in the file. Between keyframes, and after
// the last one, nothing is missing.
bool DecodeAhead::missingAfter(const VideoFrame& last, double key)
{
    const double t = m_demuxer.timePerFrame();
    const double promised = m_demuxer.lastPromisedFrame();
    if (m_keyframesOnly || t <= 0.0 || key < last.start + t - 1e-6
        || last.start + t / 2 >= promised)
        return false;
    m_missingFrame = static_cast<int>(std::llround((last.start + t) / t));
    return true;
}

void DecodeAhead::startSeek(double target, bool whole)
{
    newSerial();
    m_seekPending = true;
    m_seekTarget = target;
    m_seekWhole = whole;
}

// Until a seek follows, the worker reads nothing.
void DecodeAhead::newSerial()
{
    ++m_serial;
    m_frames.clear();
    m_history.clear();
    m_sound.clear();
    m_readUpTo = -1e300;
    m_queuedBefore = -1e300;
    m_lossy = false;
    m_abandoned = false;
    m_behind = false;
    m_changed.notify_all();
}

void DecodeAhead::restartSoundAt(double t)
{
    std::lock_guard lock(m_mutex);
    m_soundFloor = t;
    startSeek(t);
}

// After a step back the frames up to the newest one taken are in the history, not the queue.
const VideoFrame* DecodeAhead::takenAt(double key, const VideoFrame& shown) const
{
    if (!shown.frame || isStale(shown.serial, m_serial) || m_lossy)
        return nullptr;
    return m_history.at(key);
}

bool DecodeAhead::takeDueFrame(double now, VideoFrame& shown)
{
    std::lock_guard lock(m_mutex);
    bool changed = false;
    if (const VideoFrame* kept = takenAt(now, shown); kept && kept->start > shown.start) {
        shown = shareFrame(*kept);
        changed = true;
    }
    for (const VideoFrame* next = m_frames.front(m_serial); next && next->start <= now;
         next = m_frames.front(m_serial)) {
        shown = m_frames.pop();
        if (!m_lossy) {
            m_history.add(shown);
            m_history.moveForward(shown.start);
        }
        changed = true;
    }
    if (changed)
        m_changed.notify_all();
    return changed;
}

bool DecodeAhead::videoEnded() const
{
    std::lock_guard lock(m_mutex);
    return m_endedSerial == m_serial && m_frames.empty();
}

void DecodeAhead::setSoundWanted(bool wanted)
{
    std::lock_guard lock(m_mutex);
    m_soundWanted = wanted;
    m_changed.notify_all();
}

bool DecodeAhead::takeSound(SoundChunk& chunk)
{
    std::lock_guard lock(m_mutex);
    m_changed.notify_all();
    return m_sound.take(chunk, m_serial, m_soundFloor);
}

void DecodeAhead::setBehind(bool behind)
{
    m_behind = behind;
}

bool DecodeAhead::abandonRead()
{
    std::lock_guard lock(m_mutex);
    if (!m_reading)
        return false;
    m_abandoned = true;
    m_demuxer.interrupt(true);
    return true;
}

bool DecodeAhead::hasWork() const
{
    if (m_quit || m_seekPending || m_reseek)
        return true;
    if (m_stalled || isStale(m_workSerial, m_serial))
        return false;
    const bool videoRoom = m_video && !m_frames.full();
    const bool soundShort = m_audio && m_soundWanted && m_sound.seconds() < kSoundLow;
    // A frame being waited for is read up to whatever sound lies before it.
    const bool soundFull =
        m_audio && m_soundWanted && m_sound.seconds() > kSoundHigh && m_frameWaits == 0;
    if (!m_held.empty() && videoRoom)
        return true;
    if (m_readEnded)
        return !m_drained && m_held.empty();
    if (soundFull)
        return false;
    return (videoRoom && m_held.empty())
           || (soundShort && m_held.size() < HeldPackets::kWhileSoundShort);
}

// Sound running short is read before pictures are decoded, so that a busy machine drops
// pictures rather than sound; the pictures held back meanwhile are limited, as the sound may
// simply have ended. A frame being waited for goes first.
bool DecodeAhead::soundFirst() const
{
    return m_audio && m_soundWanted && m_sound.seconds() < kSoundLow && m_frameWaits == 0
           && m_held.size() < HeldPackets::kWhileSoundFirst;
}

void DecodeAhead::run()
{
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return hasWork(); });
        if (m_quit)
            return;
        if (m_seekPending) {
            m_seekPending = false;
            m_stalled = false;
            m_demuxer.interrupt(false);
            m_workSerial = m_serial;
            m_workKeyframesOnly = m_keyframesOnly;
            m_workDeinterlace = m_deinterlace;
            m_endedSerial = -1;
            // The deinterlacer makes the target's picture from the one before it too.
            m_landBy = m_workDeinterlace
                           ? std::max(m_seekTarget - m_demuxer.timePerFrame(), 0.0)
                           : m_seekTarget;
            m_seeks.start(m_landBy);
            m_leaveOutBefore = m_seekWhole || !m_video ? -1e300 : m_seekTarget;
            m_awaited = m_workDeinterlace || m_workKeyframesOnly
                            ? std::nullopt
                            : std::optional<double>(m_seekTarget);
            lock.unlock();
            seekContainer();
            continue;
        }
        const bool decodeHeld = !m_held.empty() && !m_frames.full()
                                && (!soundFirst() || m_readEnded);
        if (m_workStride.step != m_stride.step || m_workStride.first != m_stride.first) {
            m_workStride = m_stride;
            m_readTimes.clear();
        }
        lock.unlock();
        if (m_reseek) {
            m_reseek = false;
            m_seeks.retreat();
            seekContainer();
        } else if (decodeHeld) {
            decodeVideo(m_held.take().get());
        } else if (m_readEnded) {
            drain();
        } else {
            readPacket();
        }
    }
}

void DecodeAhead::seekContainer()
{
    m_demuxer.seek(m_seeks.position());
    if (m_video)
        m_video->flush();
    if (m_audio)
        m_audio->flush();
    m_resampler->reset();
    m_deinterlacer.reset();
    setSkipping(false);
    m_held.clear();
    m_readEnded = false;
    m_drained = false;
    m_checkLanding = m_video != nullptr;
    m_damaged.reset();
    m_holed = false;
    m_witness = -1e300;
    m_leftOut.clear();
    m_readTimes.clear();
}

void DecodeAhead::readPacket()
{
    m_reading = true;
    const int err = m_demuxer.read(m_packet.get());
    m_reading = false;
    if (err < 0 && m_demuxer.interrupted()) {
        m_stalled = true;
        std::lock_guard lock(m_mutex);
        m_gaveUpSerial = m_workSerial;  // a wait for this serial's frames ends now
        m_changed.notify_all();
        return;
    }
    if (err < 0) {
        // The end of the file, or damage that ends reading: what was read is what there is. A
        // damaged picture right before it is where the file was cut: it has no picture.
        m_readEnded = true;
        m_damaged.reset();
        return;
    }
    const AVStream* video = m_demuxer.videoStream();
    if (video && m_packet->stream_index == video->index) {
        const int64_t ts = m_packet->pts != AV_NOPTS_VALUE ? m_packet->pts : m_packet->dts;
        {
            std::lock_guard lock(m_mutex);
            if (ts != AV_NOPTS_VALUE && !isStale(m_workSerial, m_serial)) {
                const double t = m_demuxer.toSeconds(video, ts);
                m_readUpTo = std::max(m_readUpTo, t);
                m_lastPacketTime = t;
                if (m_packet->flags & AV_PKT_FLAG_KEY)
                    m_seeks.noteKeyframe(t);
            }
        }
        if (m_damaged)
            decodeOrHold(std::exchange(m_damaged, nullptr).get());
        // While keyframes only, the other pictures are never decoded: no keyframe needs them.
        if (!m_workKeyframesOnly) {
            takePicture(m_packet.get());
        } else if (m_packet->flags & AV_PKT_FLAG_KEY) {
            timeKeyframe(*m_packet);
            takePicture(m_packet.get());
        }
    } else {
        bool wanted;
        {
            std::lock_guard lock(m_mutex);
            wanted = m_soundWanted;
        }
        if (wanted)
            decodeSound(m_packet.get());
    }
    av_packet_unref(m_packet.get());
}

// Without the pictures between, a keyframe that states no time could not follow the one
// before: it gets the time its own header implies, where it tells one.
void DecodeAhead::timeKeyframe(AVPacket& packet)
{
    const AVStream* stream = m_demuxer.videoStream();
    const auto ticks = static_cast<int64_t>(
        std::llround(m_demuxer.timePerFrame() / av_q2d(stream->time_base)));
    if (const std::optional<int64_t> pts = untimedKeyframePts(stream->codecpar, packet, ticks))
        packet.pts = *pts;
}

// A picture is decoded, left out while catching up to a seek's target (never while
// deinterlacing), or kept back when damaged.
void DecodeAhead::takePicture(AVPacket* packet)
{
    if (!m_workDeinterlace && leaveOut(packet)) {
        m_leftOut.push_back(m_demuxer.toSeconds(m_demuxer.videoStream(), packet->pts));
    } else if (packet->flags & AV_PKT_FLAG_CORRUPT) {
        m_damaged = makePacket();
        av_packet_move_ref(m_damaged.get(), packet);
    } else {
        decodeOrHold(packet);
    }
}

// A picture nothing refers to, shown before one already read that is at or before the
// target: the target is that one or a later one, never this.
bool DecodeAhead::leaveOut(const AVPacket* packet)
{
    if (packet->pts == AV_NOPTS_VALUE || (packet->flags & AV_PKT_FLAG_CORRUPT))
        return false;
    const double t = m_demuxer.toSeconds(m_demuxer.videoStream(), packet->pts);
    const bool shownInstead = t < m_witness || offStride(t);
    if (shownInstead && m_references.nonReference(packet))
        return true;
    noteRead(t);
    if (t <= m_leaveOutBefore)
        m_witness = std::max(m_witness, t);
    return false;
}

// While a stride holds: whether a picture read before this one, shown after it, shows at the
// next key instead.
bool DecodeAhead::offStride(double t) const
{
    if (m_workStride.step <= 0.0)
        return false;
    const double key = m_workStride.nextKey(t);
    return std::any_of(m_readTimes.begin(), m_readTimes.end(),
                       [&](double read) { return read > t && read <= key; });
}

// The pictures read lately, while a stride holds: a reordered picture comes at most a few
// after those shown after it.
void DecodeAhead::noteRead(double t)
{
    if (m_workStride.step <= 0.0)
        return;
    if (m_readTimes.size() == 16)
        m_readTimes.erase(m_readTimes.begin());
    m_readTimes.push_back(t);
}

bool DecodeAhead::leftOutBetween(double after, double before) const
{
    return std::any_of(m_leftOut.begin(), m_leftOut.end(),
                       [&](double t) { return t > after && t < before; });
}

void DecodeAhead::decodeOrHold(AVPacket* packet)
{
    bool hold;
    {
        std::lock_guard lock(m_mutex);
        hold = m_frames.full() || !m_held.empty() || soundFirst();
    }
    if (hold) {
        m_held.hold(packet);
    } else {
        decodeVideo(packet);
    }
}

void DecodeAhead::decodeVideo(const AVPacket* packet)
{
    // The deinterlacer needs every picture, late or not.
    if (const bool skip = m_behind && !m_workDeinterlace; skip != m_skipping)
        setSkipping(skip);
    if (packet && m_awaited && !m_checkLanding && packet->pts != AV_NOPTS_VALUE
        && m_references.startsClosedGroup(packet))
        bringOutBefore(packet);
    m_video->decode(packet, [this](AVFrame* frame) {
        if (m_workDeinterlace)
            deinterlace(frame);
        else
            pushVideo(frame);
    });
}

// Empties the decoder before an IDR keyframe; it then starts afresh there, as a seek to the
// keyframe would, so no picture differs.
void DecodeAhead::bringOutBefore(const AVPacket* keyframe)
{
    m_video->decode(nullptr, [this](AVFrame* frame) { pushVideo(frame); });
    m_video->flush();
    m_awaited.reset();
    std::lock_guard lock(m_mutex);
    if (isStale(m_workSerial, m_serial))
        return;
    m_queuedBefore = m_demuxer.toSeconds(m_demuxer.videoStream(), keyframe->pts);
    m_changed.notify_all();
}

// null: the end of the file, which brings out the last picture.
void DecodeAhead::deinterlace(AVFrame* frame)
{
    const auto sink = [this](AVFrame* out, bool deinterlaced) { pushVideo(out, deinterlaced); };
    const Status s = m_workKeyframesOnly && frame ? m_deinterlacer.pushAlone(frame, sink)
                                                  : m_deinterlacer.push(frame, sink);
    if (!s)
        qCWarning(ffmpegLog).noquote() << s.text();
}

void DecodeAhead::decodeSound(const AVPacket* packet)
{
    m_audio->decode(packet, [this](AVFrame* frame) { pushSound(frame); });
}

void DecodeAhead::drain()
{
    if (m_video)
        decodeVideo(nullptr);
    if (m_workDeinterlace)
        deinterlace(nullptr);
    drainSound();
    m_drained = true;
    if (m_checkLanding && m_seeks.canRetry()) {
        // The seek ran past the end of what can be read (a cut file): try further back.
        m_reseek = true;
        return;
    }
    std::lock_guard lock(m_mutex);
    if (!isStale(m_workSerial, m_serial) && !m_reseek)
        m_endedSerial = m_serial;
    m_changed.notify_all();
}

void DecodeAhead::setSkipping(bool skipping)
{
    if (!m_video)
        return;
    m_skipping = skipping;
    m_video->setSkipNonReference(skipping);
    if (skipping) {
        std::lock_guard lock(m_mutex);
        m_lossy = !isStale(m_workSerial, m_serial);
    }
}

// The decoder's last sound, then what the resampler still holds.
void DecodeAhead::drainSound()
{
    bool wanted;
    {
        std::lock_guard lock(m_mutex);
        wanted = m_soundWanted;
    }
    if (!m_audio || !wanted)
        return;
    decodeSound(nullptr);
    SoundChunk rest{{}, m_soundEnd, m_workSerial};
    if (m_resampler->drain(rest.samples) && !rest.samples.empty())
        queueSound(std::move(rest));
}

// A picture without a time of its own follows the one before. The decoder's guess from the
// packets' decoding times can be a picture off after a program stream's seek, so there the
// first picture placed is one with its own time: those before it are dropped.
std::optional<double> DecodeAhead::frameStart(const AVFrame* frame)
{
    const AVStream* stream = m_demuxer.videoStream();
    if (frame->pts != AV_NOPTS_VALUE) {
        m_picturesTimed = true;
        return m_demuxer.toSeconds(stream, frame->pts);
    }
    if (!m_checkLanding)
        return m_lastStart + m_demuxer.timePerFrame();
    if (m_picturesTimed)
        return std::nullopt;
    const int64_t ts = frame->best_effort_timestamp;
    return ts != AV_NOPTS_VALUE ? m_demuxer.toSeconds(stream, ts)
                                : m_lastStart + m_demuxer.timePerFrame();
}

// The last pictures of a file cut short may decode around one whose data is gone (a B-frame
// after the cut, shown before a picture read earlier): nothing after that hole is shown, so
// that its frame is missing rather than the picture before it. A hole is a cut where the
// file promises pictures past what was read, or where the picture after it is not before
// the last packet read. While playback leaves pictures out, holes are its own; keyframes are
// apart by design.
bool DecodeAhead::holeAtTheCut(double start)
{
    const double t = m_demuxer.timePerFrame();
    if (m_checkLanding || !m_readEnded || m_holed || m_skipping || m_workKeyframesOnly
        || start <= m_lastStart + 1.5 * t || leftOutBetween(m_lastStart, start))
        return m_holed;
    double readUpTo;
    {
        std::lock_guard lock(m_mutex);
        readUpTo = m_readUpTo;
    }
    m_holed = readUpTo + t / 2 < m_demuxer.lastPromisedFrame()
              || start >= m_lastPacketTime - 1e-6;
    return m_holed;
}

void DecodeAhead::pushVideo(AVFrame* frame, bool deinterlaced)
{
    if (m_reseek)
        return;
    const std::optional<double> placed = frameStart(frame);
    if (!placed || holeAtTheCut(*placed))
        return;
    const double start = *placed;
    const bool afterGap = leftOutBetween(m_lastStart, start);
    if (m_awaited && start > *m_awaited)
        m_awaited.reset();
    m_lastStart = start;
    // Only what lies after the latest picture is ever asked about.
    std::erase_if(m_leftOut, [start](double t) { return t <= start; });
    if (m_checkLanding) {
        m_checkLanding = false;
        std::lock_guard lock(m_mutex);
        // The container put us after the target: try again from further back.
        if (start > m_landBy + 1e-9 && m_seeks.canRetry()
            && !isStale(m_workSerial, m_serial)) {
            m_reseek = true;
            return;
        }
    }

    VideoFrame decoded{makeFrame(), start, m_workSerial, afterGap, deinterlaced};
    av_frame_move_ref(decoded.frame.get(), frame);
    std::lock_guard lock(m_mutex);
    if (isStale(m_workSerial, m_serial))
        return;
    m_frames.push(std::move(decoded));
    m_changed.notify_all();
}

void DecodeAhead::pushSound(const AVFrame* frame)
{
    SoundChunk chunk;
    if (!m_resampler->convert(frame, chunk.samples) || chunk.samples.empty())
        return;
    const int64_t ts = frame->best_effort_timestamp;
    chunk.start = ts != AV_NOPTS_VALUE ? m_demuxer.toSeconds(m_demuxer.audioStream(), ts)
                                       : m_soundEnd;
    chunk.serial = m_workSerial;
    queueSound(std::move(chunk));
}

void DecodeAhead::queueSound(SoundChunk chunk)
{
    m_soundEnd = chunk.start + m_sound.length(chunk);
    std::lock_guard lock(m_mutex);
    if (isStale(m_workSerial, m_serial))
        return;
    m_sound.push(std::move(chunk), m_soundFloor);
    m_changed.notify_all();
}

}  // namespace kadrel::ffmpeg
