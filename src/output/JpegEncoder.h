#pragma once
// JPEG files through libjpeg-turbo: baseline, full-range BT.601 (JFIF), the usual 1..100
// quality scale. A 4:2:0 picture handed over as its planes is stored 4:2:0 straight from them;
// a bitmap keeps its colour at full resolution from quality 90 up, 4:2:0 below. A bulk run
// encodes two frames at once (FrameFileWriter).

#include "output/FrameEncoder.h"

namespace kadrel {

// quality is clamped to 1..100.
std::unique_ptr<FrameEncoder> makeJpegEncoder(int quality);

}  // namespace kadrel
