#pragma once
// The bitmap file, built in place around the DIB: the 14-byte file header in the header room
// ("BM", the file's length, 54 to the pixels), the info header with biSizeImage cut to its
// lowest and highest byte and the resolutions at 72 dpi, and zeros after what the renderer
// delivered. The file is 14 + dibBytes long whatever the depth delivered.

#include "output/FrameEncoder.h"

namespace kadrel {

class BitmapEncoder final : public FrameEncoder {
public:
    Result<FileImage> encode(FrameBuffer& frame, const FrameFacts& facts) override;
};

}  // namespace kadrel
