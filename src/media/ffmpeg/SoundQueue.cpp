#include "media/ffmpeg/SoundQueue.h"

#include "media/ffmpeg/FrameQueue.h"

#include <algorithm>

namespace kadrel::ffmpeg {

void SoundQueue::clear()
{
    m_chunks.clear();
    m_seconds = 0.0;
}

double SoundQueue::length(const SoundChunk& chunk) const
{
    return double(chunk.samples.size()) / m_format.channels() / m_format.sampleRate();
}

void SoundQueue::push(SoundChunk chunk, double floor)
{
    const double seconds = length(chunk);
    if (chunk.start + seconds <= floor)
        return;
    m_seconds += seconds;
    m_chunks.push_back(std::move(chunk));
}

bool SoundQueue::take(SoundChunk& chunk, int serial, double floor)
{
    while (!m_chunks.empty()) {
        SoundChunk next = std::move(m_chunks.front());
        m_chunks.pop_front();
        const double seconds = length(next);
        m_seconds -= seconds;
        if (isStale(next.serial, serial) || next.start + seconds <= floor)
            continue;
        if (next.start < floor) {
            const auto skip = static_cast<size_t>((floor - next.start) * m_format.sampleRate())
                              * m_format.channels();
            next.samples.erase(next.samples.begin(),
                               next.samples.begin() + std::min(skip, next.samples.size()));
            next.start = floor;
        }
        chunk = std::move(next);
        return true;
    }
    return false;
}

}  // namespace kadrel::ffmpeg
