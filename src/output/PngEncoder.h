#pragma once
// PNG files through zlib, one picture on both cores: 8-bit RGB, the snapshot's pixels
// unchanged; deflate at level 1 with the "up" filter, which on video frames compresses about
// as well as the ffmpeg tool's default in a third of its time.

#include "output/FrameEncoder.h"

namespace kadrel {

std::unique_ptr<FrameEncoder> makePngEncoder();

}  // namespace kadrel
