#pragma once
// PNG files through libdeflate: 8-bit RGB, the snapshot's pixels unchanged, the "up" filter and
// deflate level 2, which on video frames packs about as small as the ffmpeg tool's default in
// a third of its time. A bulk run encodes two frames at once (FrameFileWriter).

#include "output/FrameEncoder.h"

namespace kadrel {

std::unique_ptr<FrameEncoder> makePngEncoder();

}  // namespace kadrel
