#pragma once
// The frames already taken from the frame queue under the present serial, oldest first: a
// run of consecutive pictures of the file, so that a step back within it, and the steps
// forward again, are answered without a seek. Going back a frame otherwise means decoding
// from the keyframe before it. Bounded in bytes; the frames share their pictures with the
// decoder, nothing is copied. Not locked: its owner holds the lock.

#include "media/ffmpeg/FrameQueue.h"

#include <cstddef>
#include <deque>

namespace kadrel::ffmpeg {

class FrameHistory {
public:
    // About two seconds of 1080p 4:2:0 pictures, half a second of 4K.
    static constexpr std::size_t kBytes = 192u << 20;

    void clear();
    // A frame taken from the queue; the frame before it in the file was the last one added.
    void add(const VideoFrame& frame);
    // The frame on show at key: the last of the run starting at or before it; null when key
    // lies before the run. Past the newest frame the queue may hold later ones.
    const VideoFrame* at(double key) const;
    bool isNewest(const VideoFrame* frame) const { return frame == &m_frames.back(); }

private:
    std::deque<VideoFrame> m_frames;
    std::size_t m_bytes = 0;
};

// A second reference to frame's picture.
VideoFrame shareFrame(const VideoFrame& frame);

}  // namespace kadrel::ffmpeg
