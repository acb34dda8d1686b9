#pragma once
// Video packets read but not decoded yet, in reading order: held back while the frame queue
// is full or while sound running short is read first. The worker's own.

#include "media/ffmpeg/FfmpegHolders.h"

#include <deque>

namespace kadrel::ffmpeg {

class HeldPackets {
public:
    // Held while sound is read first; beyond that, a frame's packets are decoded.
    static constexpr size_t kWhileSoundFirst = 64;
    // Held while sound is short; beyond that, the sound may simply have ended.
    static constexpr size_t kWhileSoundShort = 512;

    bool empty() const { return m_packets.empty(); }
    size_t size() const { return m_packets.size(); }
    void clear() { m_packets.clear(); }
    // Takes the packet's data, leaving it blank.
    void hold(AVPacket* packet);
    PacketPtr take();

private:
    std::deque<PacketPtr> m_packets;
};

}  // namespace kadrel::ffmpeg
