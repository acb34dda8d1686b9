#include "media/ffmpeg/MediaClock.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace kadrel::ffmpeg {

namespace {

// A reported position this close to the clock leaves it alone (about a frame).
constexpr double kTolerance = 0.03;
// A device starting up holds sound before it plays any: the clock runs on at most kMaxAhead
// past the position first reported, for at most kStartLimit. Once the sound has moved, a
// device that stalls no longer holds the picture.
constexpr double kMaxAhead = 0.15;
constexpr double kStartLimit = 1.0;

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

MediaClock::MediaClock(Seconds seconds)
    : m_seconds(seconds ? std::move(seconds) : Seconds(steadySeconds))
{
}

double MediaClock::elapsed() const
{
    return m_running ? m_seconds() - m_since : 0.0;
}

void MediaClock::set(double seconds)
{
    m_base = seconds;
    m_floor = seconds;
    m_since = m_seconds();
    m_heard.reset();
    m_soundMoved = false;
}

void MediaClock::start()
{
    if (m_running)
        return;
    m_since = m_seconds();
    m_running = true;
}

void MediaClock::stop()
{
    set(now());
    m_running = false;
}

double MediaClock::now() const
{
    m_floor = std::max(m_floor, m_base + elapsed());
    return m_floor;
}

void MediaClock::follow(double heard)
{
    if (heard == m_heard) {
        if (!m_soundMoved && m_seconds() - m_heardAt < kStartLimit && now() > heard + kMaxAhead) {
            m_base = heard + kMaxAhead;
            m_since = m_seconds();
        }
        return;
    }
    m_soundMoved = m_heard.has_value();
    m_heard = heard;
    m_heardAt = m_seconds();
    if (std::abs(heard - now()) <= kTolerance)
        return;
    // Ahead of the clock it jumps forward; behind it, the clock holds at its floor until
    // the sound reaches it.
    m_base = heard;
    m_since = m_seconds();
}

}  // namespace kadrel::ffmpeg
