#pragma once
// The one encoder interface: a frame's snapshot in (a DIB, or a 16-bit picture for PNG), the
// bytes of its file out.

#include "common/Status.h"
#include "output/FrameBuffer.h"
#include "output/FrameFacts.h"
#include "output/ImageFormat.h"

#include <memory>
#include <optional>

namespace kadrel {

// Each encoder keeps what it reuses from frame to frame (its file's memory, its rows), so
// every thread that encodes has one of its own; it touches nothing else.
class FrameEncoder {
public:
    virtual ~FrameEncoder() = default;
    // The file's bytes for the DIB in frame: in place in the frame (a bitmap) or in memory the
    // encoder owns, valid until its next call. PNG, JPEG and WebP files carry the facts when
    // there are any; without them the file is the pixels' alone.
    virtual Result<FileImage> encode(FrameBuffer& frame, const FrameFacts& facts) = 0;
};

// The encoder of a type; quality (1..100, else the type's default) counts for JPEG and WebP.
std::unique_ptr<FrameEncoder> makeFrameEncoder(ImageFormat format,
                                               std::optional<int> quality = std::nullopt);

}  // namespace kadrel
