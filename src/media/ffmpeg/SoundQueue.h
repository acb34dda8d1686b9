#pragma once
// The sound converted ahead of what the device has taken, with the serial of the move it was
// decoded under. Sound before the floor (the position of the last move) is thrown away, and a
// chunk that starts before it is cut there, so that the sound starts where the picture does.
// Not locked: its owner holds the lock.

#include "media/ffmpeg/AudioResampler.h"
#include "media/ffmpeg/SoundSink.h"

#include <deque>

namespace kadrel::ffmpeg {

class SoundQueue {
public:
    explicit SoundQueue(const AudioResampler& format) : m_format(format) {}

    double seconds() const { return m_seconds; }
    void clear();
    double length(const SoundChunk& chunk) const;
    // Queues chunk unless it ends before floor.
    void push(SoundChunk chunk, double floor);
    // The next chunk of serial after floor, trimmed to it; false when none is queued.
    bool take(SoundChunk& chunk, int serial, double floor);

private:
    const AudioResampler& m_format;
    std::deque<SoundChunk> m_chunks;
    double m_seconds = 0.0;
};

}  // namespace kadrel::ffmpeg
