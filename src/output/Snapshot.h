#pragma once
// The rows of a frame snapshot, as the image encoders read them: a 32-bit packed DIB, or a
// 16-bit picture.

#include "common/Status.h"
#include "media/MediaInterfaces.h"

#include <cstddef>
#include <cstdint>

namespace kadrel {

// The top row and the step to the next row down (negative for a bottom-up DIB).
struct Picture {
    int width = 0;
    int height = 0;
    const unsigned char* top = nullptr;
    std::ptrdiff_t step = 0;

    const unsigned char* row(int y) const { return top + step * y; }
};

// Fails unless dib holds a whole 32-bit picture in size bytes.
Result<Picture> readSnapshot(const unsigned char* dib, std::size_t size);

// Top-down rows of R, G, B samples in the machine's byte order.
struct DeepPicture {
    int width = 0;
    int height = 0;
    PictureTransfer transfer = PictureTransfer::Sdr;
    const std::uint16_t* top = nullptr;

    const std::uint16_t* row(int y) const { return top + std::ptrdiff_t{3} * width * y; }
};

// Fails unless data (at an even address, as a FrameBuffer's) holds a whole 16-bit picture in
// size bytes.
Result<DeepPicture> readDeepSnapshot(const unsigned char* data, std::size_t size);

}  // namespace kadrel
