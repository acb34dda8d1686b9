#include "media/ffmpeg/MediaClock.h"

namespace kadrel::ffmpeg {

void MediaClock::set(double seconds)
{
    m_base = seconds;
    m_since = Steady::now();
}

void MediaClock::start()
{
    if (m_running)
        return;
    m_since = Steady::now();
    m_running = true;
}

void MediaClock::stop()
{
    m_base = now();
    m_running = false;
}

double MediaClock::now() const
{
    if (!m_running)
        return m_base;
    return m_base + std::chrono::duration<double>(Steady::now() - m_since).count();
}

}  // namespace kadrel::ffmpeg
