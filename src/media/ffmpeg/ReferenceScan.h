#pragma once
// Which H.264 packets hold a picture that no other picture refers to (every slice's
// nal_ref_idc is 0). Catching up to a seek's target, such a picture can be left undecoded
// when a picture shown after it, still before the target, has been read: nothing needs it,
// and the decoder never sees it, so its threads and references are as without the skip.
// It also tells an IDR picture: no picture after it refers to one before it, and every picture
// before it is shown before it.

#include "media/ffmpeg/FfmpegHolders.h"

namespace kadrel::ffmpeg {

class ReferenceScan {
public:
    // Streams other than H.264 have no picture it can tell apart: none is ever droppable.
    explicit ReferenceScan(const AVCodecParameters* video);
    bool nonReference(const AVPacket* packet) const;
    bool startsClosedGroup(const AVPacket* packet) const;

private:
    bool m_h264 = false;
    int m_lengthSize = 0;  // bytes of each unit's length (avcC), 0 for start codes (Annex B)
};

}  // namespace kadrel::ffmpeg
