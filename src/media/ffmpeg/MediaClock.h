#pragma once
// The playback clock: the media time that is due now. It runs on the monotonic clock from
// where it was set; while sound is being heard it follows the sound's position, but it never
// steps backwards while it runs: when the sound is behind, the clock holds until the sound
// catches up, and while a device starting up holds sound it does not play yet, the clock
// waits for it, for a limited time. When the sound stops (its end, a gap, an underrun, a
// stalled device) the clock simply runs on.

#include <functional>
#include <optional>

namespace kadrel::ffmpeg {

class MediaClock {
public:
    using Seconds = std::function<double()>;
    // seconds: a monotonic time source; the steady clock unless a test drives time itself.
    explicit MediaClock(Seconds seconds = {});

    // A move: the clock restarts from seconds, also backwards.
    void set(double seconds);
    void start();
    void stop();
    bool running() const { return m_running; }
    double now() const;
    // A position reported by the sound output while it has sound queued. Reports may come in
    // coarse steps: only a new value that is off by more than a frame corrects the clock.
    void follow(double heard);

private:
    double elapsed() const;

    Seconds m_seconds;
    double m_base = 0.0;
    double m_since = 0.0;
    mutable double m_floor = 0.0;  // the latest time handed out since the last move
    bool m_running = false;
    std::optional<double> m_heard;  // the position last reported
    double m_heardAt = 0.0;  // when m_heard was reported
    bool m_soundMoved = false;  // the reported position has changed since the last set
};

}  // namespace kadrel::ffmpeg
