#include "media/ffmpeg/ReferenceScan.h"

namespace kadrel::ffmpeg {

namespace {

constexpr int kSlice = 1;     // a slice of a picture that is no IDR
constexpr int kIdrSlice = 5;

// Looks at one unit's header byte: false once a slice is referred to; slice set for a slice.
bool unreferenced(uint8_t header, bool& slice)
{
    const int type = header & 0x1f;
    if (type != kSlice && type != kIdrSlice)
        return true;
    slice = true;
    return (header >> 5 & 3) == 0;
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
    const uint8_t* data = packet->data;
    const int size = packet->size;
    bool slice = false;
    if (m_lengthSize > 0) {
        for (int at = 0; at + m_lengthSize < size;) {
            uint32_t length = 0;
            for (int i = 0; i < m_lengthSize; ++i)
                length = length << 8 | data[at + i];
            at += m_lengthSize;
            if (length == 0 || length > uint32_t(size - at))
                return false;  // not what it claims to be: decode it
            if (!unreferenced(data[at], slice))
                return false;
            at += int(length);
        }
        return slice;
    }
    for (int at = 0; at + 3 < size; ++at) {
        if (data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 1) {
            at += 3;
            if (!unreferenced(data[at], slice))
                return false;
        }
    }
    return slice;
}

}  // namespace kadrel::ffmpeg
