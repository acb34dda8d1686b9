#include "media/ffmpeg/MediaClock.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace kadrel::ffmpeg {

namespace {

// A reported position this close to the clock leaves it alone (about a frame).
constexpr double kTolerance = 0.03;

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
    if (heard == m_heard)
        return;
    m_heard = heard;
    if (std::abs(heard - now()) <= kTolerance)
        return;
    // Ahead of the clock it jumps forward; behind it, the clock holds at its floor until
    // the sound reaches it.
    m_base = heard;
    m_since = m_seconds();
}

}  // namespace kadrel::ffmpeg
