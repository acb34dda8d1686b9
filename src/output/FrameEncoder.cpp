#include "output/FrameEncoder.h"

#include "output/BitmapEncoder.h"
#include "output/JpegEncoder.h"
#include "output/PngEncoder.h"

namespace kadrel {

std::unique_ptr<FrameEncoder> makeFrameEncoder(ImageFormat format, int quality)
{
    switch (format) {
    case ImageFormat::Png:
        return makePngEncoder();
    case ImageFormat::Jpeg:
        return makeJpegEncoder(quality);
    case ImageFormat::Bmp:
        break;
    }
    return std::make_unique<BitmapEncoder>();
}

}  // namespace kadrel
