#pragma once
// The decoded video frames kept ready ahead of the one on show, as ffplay's frame queue keeps
// them: bounded, each frame carrying the serial (the move) it was decoded under. Frames of an
// older serial are stale and are never handed out. Not locked: its owner holds the lock.

#include "media/ffmpeg/FfmpegHolders.h"

#include <deque>

namespace kadrel::ffmpeg {

struct VideoFrame {
    FramePtr frame;
    double start = 0.0;  // seconds on the program's time line
    int serial = -1;
    bool afterGap = false;  // a picture just before it was left undecoded
    bool deinterlaced = false;  // its picture was made by the deinterlacer
};

// Whether what was decoded under serial belongs to a move since replaced by current.
constexpr bool isStale(int serial, int current)
{
    return serial != current;
}

class FrameQueue {
public:
    bool full() const { return m_frames.size() >= kCapacity; }
    bool empty() const { return m_frames.empty(); }
    void push(VideoFrame frame) { m_frames.push_back(std::move(frame)); }
    void clear() { m_frames.clear(); }
    // The first frame of serial, the stale ones before it dropped; null when none is queued.
    const VideoFrame* front(int serial);
    VideoFrame pop();

private:
    static constexpr size_t kCapacity = 6;
    std::deque<VideoFrame> m_frames;
};

}  // namespace kadrel::ffmpeg
