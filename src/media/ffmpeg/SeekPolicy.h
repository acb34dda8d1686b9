#pragma once
// When a move seeks, and where the worker seeks again when a seek lands wrong.
//
// A move ahead within reach of what has been read decodes forward; a move back, past a
// keyframe not yet read, or far ahead of the reading without an index, seeks. A seek that
// lands past its target (the container's index is coarse) or runs out of data (a cut file) is
// tried again from further back, a second earlier, then two more, and so on down to time 0,
// then from the first packet of the file (a program stream's seek to 0 lands past its first
// picture).
//
// The keyframes are shared under the owner's lock; the seek position is the worker's own.

#include "media/ffmpeg/FrameQueue.h"

#include <vector>

namespace kadrel::ffmpeg {

class SeekPolicy {
public:
    explicit SeekPolicy(std::vector<double> keyframes) : m_keyframes(std::move(keyframes)) {}

    // Whether a move to key seeks, with shown on show under serial and the video read up to
    // readUpTo under it.
    bool needsSeek(double key, const VideoFrame& shown, int serial, double readUpTo) const;
    // A keyframe met while reading.
    void noteKeyframe(double t);

    // The worker starts seeking for target.
    void start(double target);
    double position() const { return m_position; }
    // Whether a wrong landing can be tried again from further back.
    bool canRetry() const { return m_position >= 0.0; }
    // Moves the position further back.
    void retreat();

private:
    double keyframeAtOrBefore(double t) const;

    std::vector<double> m_keyframes;  // ascending
    double m_position = 0.0;
    double m_backoff = 1.0;
};

}  // namespace kadrel::ffmpeg
