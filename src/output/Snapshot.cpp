#include "output/Snapshot.h"

#include "media/MediaErrors.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kadrel {

namespace {

std::int32_t le32(const unsigned char* at)
{
    return static_cast<std::int32_t>(at[0] | (at[1] << 8) | (at[2] << 16)
                                     | (std::uint32_t{at[3]} << 24));
}

}  // namespace

Result<Picture> readSnapshot(const unsigned char* dib, std::size_t size)
{
    const Status bad = Status::failure(mediaerror::kBadSnapshot,
                                       QStringLiteral("The frame snapshot is not a 32-bit bitmap"));
    if (size < 40)
        return bad;
    const std::int32_t header = le32(dib);
    const std::int32_t width = le32(dib + 4);
    const std::int32_t height = le32(dib + 8);
    const int bits = dib[14] | (dib[15] << 8);
    const std::int64_t stride = std::int64_t{width} * 4;
    if (header < 40 || width <= 0 || height == 0 || bits != 32
        || header + stride * std::abs(std::int64_t{height}) > std::int64_t(size))
        return bad;
    Picture picture{width, std::abs(height), dib + header, stride};
    if (height > 0) {  // bottom-up rows
        picture.top = dib + header + stride * (height - 1);
        picture.step = -stride;
    }
    return picture;
}

Result<DeepPicture> readDeepSnapshot(const unsigned char* data, std::size_t size)
{
    DeepImageHeader header;
    if (size >= sizeof header)
        std::memcpy(&header, data, sizeof header);
    const std::int64_t bytes = std::int64_t{header.width} * header.height * kDeepPixelBytes;
    if (size < sizeof header || header.width <= 0 || header.height <= 0
        || std::int64_t(sizeof header) + bytes > std::int64_t(size))
        return Status::failure(mediaerror::kBadSnapshot,
                               QStringLiteral("The frame snapshot is not a 16-bit picture"));
    return DeepPicture{header.width, header.height, header.transfer,
                       reinterpret_cast<const std::uint16_t*>(data + sizeof header)};
}

}  // namespace kadrel
