#include "output/BitmapEncoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kadrel {

namespace {

constexpr std::size_t kInfoHeaderSize = 40;

void putLe32(unsigned char* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t le32(const unsigned char* at)
{
    return at[0] | (at[1] << 8) | (at[2] << 16) | (std::uint32_t{at[3]} << 24);
}

// Bytes of the packed DIB the renderer put at dib: its header and rows, as the header
// describes them (4-byte aligned rows), never more than size.
std::size_t deliveredDibSize(const unsigned char* dib, std::size_t size)
{
    if (size < kInfoHeaderSize)
        return size;
    const std::int64_t width = static_cast<std::int32_t>(le32(dib + 4));
    const std::int64_t height = static_cast<std::int32_t>(le32(dib + 8));
    const std::int64_t bitCount = dib[14] | (dib[15] << 8);
    const std::int64_t stride = (std::abs(width) * bitCount + 31) / 32 * 4;
    const std::int64_t delivered = le32(dib) + stride * std::abs(height);
    return static_cast<std::size_t>(
        std::clamp<std::int64_t>(delivered, 0, static_cast<std::int64_t>(size)));
}

}  // namespace

Result<FileImage> BitmapEncoder::encode(FrameBuffer& frame, const FrameFacts&)
{
    unsigned char* dib = frame.dib();
    const std::size_t size = frame.dibBytes();
    const std::size_t delivered = deliveredDibSize(dib, size);
    std::memset(dib + delivered, 0, size - delivered);
    // The info header as the file carries it: biSizeImage keeps its lowest and highest byte,
    // the resolutions read 72 dpi.
    dib[21] = dib[22] = 0;
    dib[24] = dib[28] = 0x12;
    dib[25] = dib[29] = 0x0B;

    unsigned char* file = frame.withHeaderRoom();
    std::memset(file, 0, FrameBuffer::kHeaderRoom);
    file[0] = 'B';
    file[1] = 'M';
    putLe32(file + 2, static_cast<std::uint32_t>(FrameBuffer::kHeaderRoom + size));
    file[10] = 54;
    return FileImage{file, FrameBuffer::kHeaderRoom + size};
}

}  // namespace kadrel
