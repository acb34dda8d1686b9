#include "media/ffmpeg/FrameQueue.h"

namespace kadrel::ffmpeg {

const VideoFrame* FrameQueue::front(int serial)
{
    while (!m_frames.empty() && isStale(m_frames.front().serial, serial))
        m_frames.pop_front();
    return m_frames.empty() ? nullptr : &m_frames.front();
}

VideoFrame FrameQueue::pop()
{
    VideoFrame first = std::move(m_frames.front());
    m_frames.pop_front();
    return first;
}

}  // namespace kadrel::ffmpeg
