#pragma once
// JPEG files through libjpeg-turbo, one picture on both cores.
//
// The picture is cut into two bands at a multiple of eight rows of coding blocks. Each band is
// compressed on a thread of its own with a restart marker after every row of blocks, so the
// bands' coded data do not depend on each other; the bands are then joined into one baseline
// file. Cutting at eight rows of blocks keeps the markers' numbering (RST0..RST7) running on
// across the join, so the file is the one a single pass with the same settings writes.
//
// Baseline, full-range BT.601 (JFIF), the usual 1..100 quality scale; colour at full
// resolution from quality 90 up, 4:2:0 below.

#include "output/FrameEncoder.h"

namespace kadrel {

// quality is clamped to 1..100.
std::unique_ptr<FrameEncoder> makeJpegEncoder(int quality);

}  // namespace kadrel
