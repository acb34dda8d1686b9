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

    // Frames kept behind the one on show when it comes fresh from the queue: a bulk run or
    // playback then holds no more pictures than it uses. Steps back keep up to kBytes.
    static constexpr std::size_t kKeptBehind = 2;

    void clear();
    // A frame taken from the queue; the frame before it in the file was the last one added.
    void add(const VideoFrame& frame);
    // After a move forward onto a frame from the queue: drops the frames more than
    // kKeptBehind before the one at start.
    void moveForward(double start);
    // The frame on show at key: the last of the run starting at or before it; null when key
    // lies before the run. Past the newest frame the queue may hold later ones.
    const VideoFrame* at(double key) const;
    // The first frame of the run starting after start; null when none does.
    const VideoFrame* after(double start) const;
    bool isNewest(const VideoFrame* frame) const { return frame == &m_frames.back(); }

private:
    void dropOldest();
    // How many frames start at or before key.
    std::size_t countUpTo(double key) const;

    std::deque<VideoFrame> m_frames;
    std::size_t m_bytes = 0;
};

// A second reference to frame's picture.
VideoFrame shareFrame(const VideoFrame& frame);

}  // namespace kadrel::ffmpeg
