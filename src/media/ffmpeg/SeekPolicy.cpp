#include "media/ffmpeg/SeekPolicy.h"

#include <algorithm>

namespace kadrel::ffmpeg {

namespace {

// Without a keyframe index, a jump further ahead than this seeks instead of decoding forward.
constexpr double kFarAhead = 5.0;
// A seek to before 0 reads from the first packet of the file.
constexpr double kBeforeStart = -1.0;

}  // namespace

bool SeekPolicy::needsSeek(double key, const VideoFrame& shown, int serial, double readUpTo) const
{
    // Back from the frame on show; from a stale frame; from nothing yet after a seek.
    const bool current = shown.frame && !isStale(shown.serial, serial);
    if (current ? key < shown.start : shown.frame || serial != 0)
        return true;
    const double keyframe = keyframeAtOrBefore(key);
    return keyframe > readUpTo + 1e-6
           || (keyframe <= readUpTo && key > readUpTo + kFarAhead && readUpTo > 0);
}

void SeekPolicy::noteKeyframe(double t)
{
    const auto at = std::lower_bound(m_keyframes.begin(), m_keyframes.end(), t);
    if (at == m_keyframes.end() || *at != t)
        m_keyframes.insert(at, t);
}

double SeekPolicy::keyframeAtOrBefore(double t) const
{
    const auto after = std::upper_bound(m_keyframes.begin(), m_keyframes.end(), t + 1e-9);
    return after == m_keyframes.begin() ? -1e300 : *std::prev(after);
}

void SeekPolicy::start(double target)
{
    m_position = target;
    m_backoff = 1.0;
}

void SeekPolicy::retreat()
{
    m_position = m_position > 0.0 ? std::max(0.0, m_position - m_backoff) : kBeforeStart;
    m_backoff *= 2;
}

}  // namespace kadrel::ffmpeg
