#pragma once
// The playback clock: the media time that is due now. It follows the monotonic clock from
// where it was set; while sound plays, it runs on from each position the sound output reports.

#include <chrono>

namespace kadrel::ffmpeg {

class MediaClock {
public:
    void set(double seconds);
    void start();
    void stop();
    bool running() const { return m_running; }
    double now() const;
    // Follows the sound output's reported position while sound plays.
    void follow(double heard);

private:
    using Steady = std::chrono::steady_clock;
    double m_base = 0.0;
    Steady::time_point m_since{};
    bool m_running = false;
    double m_heard = -1.0;  // the sound output's last reported position
};

}  // namespace kadrel::ffmpeg
