#pragma once
// WebP files through libwebp: quality 100 is lossless (the snapshot's pixels exactly, with
// libwebp's faster lossless effort), below it lossy at that quality (1..99) with libwebp's
// default effort.

#include "output/FrameEncoder.h"

namespace kadrel {

// quality is clamped to 1..100.
std::unique_ptr<FrameEncoder> makeWebpEncoder(int quality);

}  // namespace kadrel
