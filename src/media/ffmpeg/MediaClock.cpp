#include "media/ffmpeg/MediaClock.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace kadrel::ffmpeg {

namespace {

// A reported position this close to the clock leaves it alone (about a frame).
constexpr double kTolerance = 0.03;
// While the device holds sound but reports no progress (it is starting, or busy), the clock
// runs on at most this far past the position last heard, and only for kStallLimit: a device
// that stays stuck longer no longer holds the picture.
constexpr double kMaxAhead = 0.15;
constexpr double kStallLimit = 1.0;

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
    m_heard = -1.0;
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
        if (m_seconds() - m_heardAt < kStallLimit && now() > heard + kMaxAhead) {
            m_base = heard + kMaxAhead;
            m_since = m_seconds();
        }
        return;
    }
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
