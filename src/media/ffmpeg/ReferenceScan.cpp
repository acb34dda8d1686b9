#include "media/ffmpeg/ReferenceScan.h"

namespace kadrel::ffmpeg {

namespace {

constexpr int kSlice = 1;     // a slice of a picture that is no IDR
constexpr int kIdrSlice = 5;

bool isSlice(uint8_t header)
{
    const int type = header & 0x1f;
    return type == kSlice || type == kIdrSlice;
}

// Hands each unit's header byte to visit until it returns false. False when the packet is not
// what it claims to be.
template <typename Visit>
bool forEachUnit(const AVPacket* packet, int lengthSize, Visit visit)
{
    const uint8_t* data = packet->data;
    const int size = packet->size;
    if (lengthSize > 0) {
        for (int at = 0; at + lengthSize < size;) {
            uint32_t length = 0;
            for (int i = 0; i < lengthSize; ++i)
                length = length << 8 | data[at + i];
            at += lengthSize;
            if (length == 0 || length > uint32_t(size - at))
                return false;
            if (!visit(data[at]))
                return true;
            at += int(length);
        }
        return true;
    }
    for (int at = 0; at + 3 < size; ++at) {
        if (data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 1) {
            at += 3;
            if (!visit(data[at]))
                return true;
        }
    }
    return true;
}

}  // namespace

ReferenceScan::ReferenceScan(const AVCodecParameters* video)
    : m_h264(video && video->codec_id == AV_CODEC_ID_H264)
{
    if (m_h264 && video->extradata_size >= 7 && video->extradata[0] == 1)
        m_lengthSize = (video->extradata[4] & 3) + 1;
}

bool ReferenceScan::nonReference(const AVPacket* packet) const
{
    if (!m_h264 || !packet->data)
        return false;
    bool slice = false;
    bool referenced = false;
    const bool whole = forEachUnit(packet, m_lengthSize, [&](uint8_t header) {
        if (!isSlice(header))
            return true;
        slice = true;
        referenced = (header >> 5 & 3) != 0;
        return !referenced;
    });
    return whole && slice && !referenced;
}

bool ReferenceScan::startsClosedGroup(const AVPacket* packet) const
{
    if (!m_h264 || !packet->data)
        return false;
    bool idr = false;
    const bool whole = forEachUnit(packet, m_lengthSize, [&](uint8_t header) {
        idr = (header & 0x1f) == kIdrSlice;
        return !idr;
    });
    return whole && idr;
}

}  // namespace kadrel::ffmpeg
