#include "output/FrameEncoder.h"

#include "output/BitmapEncoder.h"
#include "output/JpegEncoder.h"
#include "output/PngEncoder.h"
#include "output/WebpEncoder.h"

namespace kadrel {

std::unique_ptr<FrameEncoder> makeFrameEncoder(ImageFormat format, std::optional<int> quality)
{
    const int q = quality.value_or(defaultQuality(format));
    switch (format) {
    case ImageFormat::Png:
        return makePngEncoder();
    case ImageFormat::Jpeg:
        return makeJpegEncoder(q);
    case ImageFormat::Webp:
        return makeWebpEncoder(q);
    case ImageFormat::Bmp:
        break;
    }
    return std::make_unique<BitmapEncoder>();
}

}  // namespace kadrel
