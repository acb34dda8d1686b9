#pragma once
// Decoded pictures to RGB: the packed bitmap GetCurrentImage hands out, its 16-bit sibling
// (GetCurrentImageDeep), and the picture the video surface paints. The conversion uses the
// frame's own colour matrix and range (for untagged pictures BT.709 from 1280 columns or above
// 576 lines, else BT.601) and turns the picture upright by the stream's rotation. HDR pictures
// are tone-mapped for an SDR screen unless tone mapping is off; the bitmap, the 16-bit picture
// and the painted picture come from the same mapping.

#include "common/Status.h"
#include "media/MediaInterfaces.h"
#include "media/ffmpeg/FfmpegHolders.h"
#include "media/ffmpeg/ToneMapper.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <vector>

namespace kadrel::ffmpeg {

class FrameConverter {
public:
    void setRotation(int degrees) { m_rotation = degrees; }
    // false: HDR pictures convert like SDR ones, their signal taken as it is.
    void setToneMapping(bool on) { m_toneMapping = on; }
    // The picture as displayed: width and height swap for a quarter turn.
    QSize displaySize(const AVFrame* frame) const;
    // Writes the 40-byte BITMAPINFOHEADER and bottom-up B,G,R,0xFF rows into buffer.
    Status toBitmap(const AVFrame* frame, uint8_t* buffer, int64_t bufferSize);
    // The picture's own planes, shared, when toBitmap would be their plain conversion.
    bool toPlanes(const AVFrame* frame, YuvPlanes& into) const;
    // Writes a DeepImageHeader and top-down rows of 16-bit R, G, B into buffer.
    Status toDeepImage(const AVFrame* frame, uint8_t* buffer, int64_t bufferSize);
    // The upright picture scaled to size, for painting.
    QImage toImage(const AVFrame* frame, QSize size);

private:
    struct Scaler {
        SwsPtr context;
        int colorspace = -1;
        int range = -1;
    };
    // Converts frame to BGRA of width x height into dst with the given stride.
    bool convert(Scaler& scaler, const AVFrame* frame, int width, int height, uint8_t* dst,
                 int stride);
    // Converts frame at its own size to 16-bit RGB.
    bool convertDeep(const AVFrame* frame, uint8_t* dst, int stride);
    // libswscale from frame's YUV, with its own matrix and range, to the format to (flags
    // added to bicubic scaling).
    bool scale(Scaler& scaler, const AVFrame* frame, int width, int height, AVPixelFormat to,
               int flags, uint8_t* dst, int stride);
    PictureTransfer transferOf(const AVFrame* frame) const;
    // The tone-mapped picture, at frame size, scaled when width x height differs.
    bool toneMap(Scaler& scaler, const AVFrame* frame, int width, int height, uint8_t* dst,
                 int stride);
    // The turned picture's row y starts at dst + y * dstStride; pixels of pixelBytes.
    void rotateInto(const uint8_t* src, int srcWidth, int srcHeight, uint8_t* dst,
                    int dstStride, int pixelBytes = 4) const;

    int m_rotation = 0;
    bool m_toneMapping = true;
    ToneMapper m_toneMapper;
    std::vector<uint8_t> m_mapped;  // a tone-mapped picture before scaling
    Scaler m_bitmapScaler;
    Scaler m_imageScaler;
    Scaler m_deepScaler;
    std::vector<uint8_t> m_upright;  // conversion scratch for rotated pictures
};

}  // namespace kadrel::ffmpeg
