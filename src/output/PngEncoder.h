#pragma once
// PNG files through libdeflate: RGB, the snapshot's pixels unchanged (8 bits a channel from a
// DIB, 16 from a 16-bit picture, with a cICP chunk when it holds a PQ or HLG signal), the "up"
// filter and deflate level 2, which on video frames packs about as small as the ffmpeg tool's
// default in a third of its time. A bulk run encodes two frames at once (FrameFileWriter).

#include "output/FrameEncoder.h"

namespace kadrel {

std::unique_ptr<FrameEncoder> makePngEncoder();

}  // namespace kadrel
