#include "media/ffmpeg/FrameHistory.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <algorithm>

namespace kadrel::ffmpeg {

namespace {

std::size_t pictureBytes(const AVFrame* frame)
{
    const int bytes = av_image_get_buffer_size(static_cast<AVPixelFormat>(frame->format),
                                               frame->width, frame->height, 1);
    return bytes > 0 ? std::size_t(bytes) : 0;
}

}  // namespace

VideoFrame shareFrame(const VideoFrame& frame)
{
    return {FramePtr(av_frame_clone(frame.frame.get())), frame.start, frame.serial,
            frame.afterGap, frame.deinterlaced};
}

void FrameHistory::clear()
{
    m_frames.clear();
    m_bytes = 0;
}

void FrameHistory::add(const VideoFrame& frame)
{
    if (frame.afterGap || (!m_frames.empty() && isStale(m_frames.back().serial, frame.serial)))
        clear();
    VideoFrame kept = shareFrame(frame);
    if (!kept.frame) {
        clear();  // out of memory: the run would have a gap
        return;
    }
    m_bytes += pictureBytes(kept.frame.get());
    m_frames.push_back(std::move(kept));
    while (m_bytes > kBytes && m_frames.size() > 1)
        dropOldest();
}

void FrameHistory::moveForward(double start)
{
    for (std::size_t behind = countUpTo(start); behind > kKeptBehind + 1; --behind)
        dropOldest();
}

void FrameHistory::dropOldest()
{
    m_bytes -= pictureBytes(m_frames.front().frame.get());
    m_frames.pop_front();
}

std::size_t FrameHistory::countUpTo(double key) const
{
    const auto first = std::upper_bound(
        m_frames.begin(), m_frames.end(), key,
        [](double k, const VideoFrame& frame) { return k < frame.start; });
    return std::size_t(first - m_frames.begin());
}

const VideoFrame* FrameHistory::at(double key) const
{
    const std::size_t count = countUpTo(key);
    return count == 0 ? nullptr : &m_frames[count - 1];
}

const VideoFrame* FrameHistory::after(double start) const
{
    const std::size_t count = countUpTo(start);
    return count < m_frames.size() ? &m_frames[count] : nullptr;
}

}  // namespace kadrel::ffmpeg
