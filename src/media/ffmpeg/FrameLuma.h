#pragma once
// The luma of a decoded picture at its stored size, 8 bits a sample, for frame selections that
// compare pictures. Planar YUV and grey pictures give the top 8 bits of their stored samples,
// in the range they are stored in; other formats (RGB, packed YUV) go through libswscale's
// GRAY8, RGB as full-range luma.

#include "common/Status.h"
#include "media/MediaInterfaces.h"
#include "media/ffmpeg/FfmpegHolders.h"

namespace kadrel::ffmpeg {

class FrameLuma {
public:
    Status read(const AVFrame* frame, LumaPlane& into);

private:
    SwsPtr m_scaler;
};

}  // namespace kadrel::ffmpeg
