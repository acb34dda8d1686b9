#include "media/ffmpeg/HeldPackets.h"

namespace kadrel::ffmpeg {

void HeldPackets::hold(AVPacket* packet)
{
    PacketPtr copy = makePacket();
    av_packet_move_ref(copy.get(), packet);
    m_packets.push_back(std::move(copy));
}

PacketPtr HeldPackets::take()
{
    PacketPtr first = std::move(m_packets.front());
    m_packets.pop_front();
    return first;
}

}  // namespace kadrel::ffmpeg
