#include "media/ffmpeg/KeyframeTime.h"

namespace kadrel::ffmpeg {

namespace {

// The temporal_reference of the packet's first picture header (start code 00 00 01 00).
std::optional<int> temporalReference(const AVPacket& packet)
{
    const uint8_t* d = packet.data;
    for (int i = 0; i + 5 < packet.size; ++i)
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1 && d[i + 3] == 0)
            return (d[i + 4] << 2) | (d[i + 5] >> 6);
    return std::nullopt;
}

}  // namespace

std::optional<int64_t> untimedKeyframePts(const AVCodecParameters* video, const AVPacket& packet,
                                          int64_t frameTicks)
{
    const bool mpeg = video->codec_id == AV_CODEC_ID_MPEG1VIDEO
                      || video->codec_id == AV_CODEC_ID_MPEG2VIDEO;
    if (!mpeg || packet.pts != AV_NOPTS_VALUE || packet.dts == AV_NOPTS_VALUE || frameTicks <= 0)
        return std::nullopt;
    const std::optional<int> shownAfter = temporalReference(packet);
    if (!shownAfter)
        return std::nullopt;
    return packet.dts + (1 + *shownAfter) * frameTicks;
}

}  // namespace kadrel::ffmpeg
