#pragma once
// The luma of a decoded picture at its stored size, 8 bits a sample, for frame selections that
// compare pictures. 8-bit YUV and grey pictures give their stored rows as they are; other
// formats go through libswscale's GRAY8 without a change of range, so deeper YUV gives its
// samples' top 8 bits and RGB gives full-range luma.

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
