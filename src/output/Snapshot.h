#pragma once
// The rows of a 32-bit frame snapshot (a packed DIB), as the image encoders read them.

#include "common/Status.h"

#include <cstddef>

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

}  // namespace kadrel
