#include "media/ffmpeg/MediaClock.h"


namespace kadrel::ffmpeg {

namespace {

// How far the clock runs on past the last position the sound output reported.
constexpr double kMaxAhead = 0.5;

}  // namespace

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

// The sound output reports its position in steps of its buffer (a tenth of a second or
// more). The clock takes each new position and runs on steadily from it, so that pictures
// between two steps come at their times; when the output stalls (at its start, an underrun)
// the clock waits for it after at most kMaxAhead.
void MediaClock::follow(double heard)
{
    if (heard != m_heard) {
        m_heard = heard;
        set(heard);
    } else if (now() > heard + kMaxAhead) {
        set(heard + kMaxAhead);
    }
}

}  // namespace kadrel::ffmpeg
