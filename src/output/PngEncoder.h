#pragma once
// PNG files, one picture on both cores: 8-bit RGB, the snapshot's pixels unchanged, with the
// "up" filter; the top band deflated by zlib (level 1), the bottom one by libdeflate (level 2).
// On video frames this packs about as small as the ffmpeg tool's default in a third of its time.

#include "output/FrameEncoder.h"

namespace kadrel {

std::unique_ptr<FrameEncoder> makePngEncoder();

}  // namespace kadrel
