#include "media/ffmpeg/FrameConverter.h"

#include "media/MediaErrors.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cstring>

namespace kadrel::ffmpeg {

namespace {

constexpr int kInfoHeaderSize = 40;
constexpr size_t kScratchSlack = 256;

void putLe32(uint8_t* at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The full-range formats are their limited siblings with the range said separately.
AVPixelFormat withoutRange(AVPixelFormat format, bool& full)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P: full = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: full = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: full = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: full = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: full = true; return AV_PIX_FMT_YUV411P;
    default: return format;
    }
}

Status unconverted()
{
    return Status::failure(mediaerror::kNoImage, QStringLiteral("The picture cannot be converted"));
}

// libswscale's 16-bit RGB from YUV puts white at 255 x 256; a contrast of 257/256 (its unit
// being 1 << 16) moves it to 65535, each code in proportion.
int contrastFor(AVPixelFormat from, AVPixelFormat to)
{
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(from);
    const bool yuv = desc && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
    return to == AV_PIX_FMT_RGB48 && yuv ? 257 << 8 : 1 << 16;
}

int swsMatrix(const AVFrame* frame)
{
    switch (frame->colorspace) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: return SWS_CS_ITU601;
    // Untagged: as players guess, HD by either side (a 1280 x 544 film is HD).
    default: return frame->width >= 1280 || frame->height > 576 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
}

}  // namespace

QSize FrameConverter::displaySize(const AVFrame* frame) const
{
    if (m_rotation == 90 || m_rotation == 270)
        return {frame->height, frame->width};
    return {frame->width, frame->height};
}

bool FrameConverter::convert(Scaler& scaler, const AVFrame* frame, int width, int height,
                             uint8_t* dst, int stride)
{
    if (m_toneMapping && ToneMapper::handles(frame))
        return toneMap(scaler, frame, width, height, dst, stride);
    return scale(scaler, frame, width, height, AV_PIX_FMT_BGRA, 0, dst, stride);
}

// Accurate rounding and chroma interpolated across the row: the 16-bit picture is for precision.
bool FrameConverter::convertDeep(const AVFrame* frame, uint8_t* dst, int stride)
{
    if (m_toneMapping && ToneMapper::handles(frame)) {
        m_toneMapper.convertDeep(frame, dst, stride);
        return true;
    }
    return scale(m_deepScaler, frame, frame->width, frame->height, AV_PIX_FMT_RGB48,
                 SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, dst, stride);
}

bool FrameConverter::scale(Scaler& scaler, const AVFrame* frame, int width, int height,
                           AVPixelFormat to, int flags, uint8_t* dst, int stride)
{
    bool full = frame->color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat format = withoutRange(static_cast<AVPixelFormat>(frame->format), full);
    SwsContext* before = scaler.context.get();
    SwsContext* context =
        sws_getCachedContext(scaler.context.release(), frame->width, frame->height, format, width,
                             height, to, SWS_BICUBIC | flags, nullptr, nullptr, nullptr);
    scaler.context.reset(context);
    if (!context)
        return false;
    const int matrix = swsMatrix(frame);
    if (context != before || matrix != scaler.colorspace || int(full) != scaler.range) {
        sws_setColorspaceDetails(context, sws_getCoefficients(matrix), full ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                                 contrastFor(format, to), 1 << 16);
        scaler.colorspace = matrix;
        scaler.range = full ? 1 : 0;
    }
    uint8_t* planes[4] = {dst, nullptr, nullptr, nullptr};
    const int strides[4] = {stride, 0, 0, 0};
    return sws_scale(context, frame->data, frame->linesize, 0, frame->height, planes, strides)
           > 0;
}

bool FrameConverter::toneMap(Scaler& scaler, const AVFrame* frame, int width, int height,
                             uint8_t* dst, int stride)
{
    if (width == frame->width && height == frame->height) {
        m_toneMapper.convert(frame, dst, stride);
        return true;
    }
    const int mappedStride = frame->width * 4;
    m_mapped.resize(size_t(mappedStride) * frame->height);
    m_toneMapper.convert(frame, m_mapped.data(), mappedStride);
    SwsContext* context = sws_getCachedContext(
        scaler.context.release(), frame->width, frame->height, AV_PIX_FMT_BGRA, width, height,
        AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
    scaler.context.reset(context);
    scaler.colorspace = -1;  // the next YUV picture sets its matrix afresh
    if (!context)
        return false;
    const uint8_t* planes[4] = {m_mapped.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {mappedStride, 0, 0, 0};
    uint8_t* out[4] = {dst, nullptr, nullptr, nullptr};
    const int outStrides[4] = {stride, 0, 0, 0};
    return sws_scale(context, planes, strides, 0, frame->height, out, outStrides) > 0;
}

bool FrameConverter::toPlanes(const AVFrame* frame, YuvPlanes& into) const
{
    into = {};
    bool full = frame && frame->color_range == AVCOL_RANGE_JPEG;
    if (!frame || m_rotation != 0 || (m_toneMapping && ToneMapper::handles(frame))
        || withoutRange(static_cast<AVPixelFormat>(frame->format), full) != AV_PIX_FMT_YUV420P)
        return false;
    const int matrix = swsMatrix(frame);
    if (matrix != SWS_CS_ITU709 && matrix != SWS_CS_ITU601)
        return false;
    AVFrame* shared = av_frame_clone(frame);
    if (!shared)
        return false;
    into.picture = std::shared_ptr<const AVFrame>(shared, [](AVFrame* f) { av_frame_free(&f); });
    for (int i = 0; i < 3; ++i) {
        into.data[i] = shared->data[i];
        into.stride[i] = shared->linesize[i];
    }
    into.width = frame->width;
    into.height = frame->height;
    into.bt709 = matrix == SWS_CS_ITU709;
    into.fullRange = full;
    return true;
}

Status FrameConverter::toBitmap(const AVFrame* frame, uint8_t* buffer, int64_t bufferSize)
{
    if (!frame)
        return Status::failure(mediaerror::kNoImage, QStringLiteral("No picture is available"));
    const QSize size = displaySize(frame);
    const int64_t rowBytes = int64_t{size.width()} * 4;
    if (bufferSize < kInfoHeaderSize + rowBytes * size.height())
        return Status::failure(mediaerror::kBuffer,
                               QStringLiteral("The buffer is too small for the picture"));

    std::memset(buffer, 0, kInfoHeaderSize);
    putLe32(buffer, kInfoHeaderSize);
    putLe32(buffer + 4, static_cast<uint32_t>(size.width()));
    putLe32(buffer + 8, static_cast<uint32_t>(size.height()));
    buffer[12] = 1;   // planes
    buffer[14] = 32;  // bits per pixel; compression, image size and resolutions stay 0

    uint8_t* pixels = buffer + kInfoHeaderSize;
    uint8_t* lastRow = pixels + rowBytes * (size.height() - 1);
    const int upwards = -static_cast<int>(rowBytes);
    if (m_rotation == 0) {
        // Bottom-up straight from the converter: no copy.
        if (!convert(m_bitmapScaler, frame, frame->width, frame->height, lastRow, upwards))
            return unconverted();
        return {};
    }
    // The converter's vector code may write a little past the last row.
    m_upright.resize(size_t(frame->width) * frame->height * 4 + kScratchSlack);
    if (!convert(m_bitmapScaler, frame, frame->width, frame->height, m_upright.data(),
                 frame->width * 4))
        return unconverted();
    rotateInto(m_upright.data(), frame->width, frame->height, lastRow, upwards);
    return {};
}

// The transfer of the picture's samples: SDR once tone-mapped.
PictureTransfer FrameConverter::transferOf(const AVFrame* frame) const
{
    if (m_toneMapping && ToneMapper::handles(frame))
        return PictureTransfer::Sdr;
    switch (frame->color_trc) {
    case AVCOL_TRC_SMPTE2084: return PictureTransfer::Pq;
    case AVCOL_TRC_ARIB_STD_B67: return PictureTransfer::Hlg;
    default: return PictureTransfer::Sdr;
    }
}

Status FrameConverter::toDeepImage(const AVFrame* frame, uint8_t* buffer, int64_t bufferSize)
{
    if (!frame)
        return Status::failure(mediaerror::kNoImage, QStringLiteral("No picture is available"));
    const QSize size = displaySize(frame);
    const int rowBytes = size.width() * kDeepPixelBytes;
    if (bufferSize < int64_t{sizeof(DeepImageHeader)} + int64_t{rowBytes} * size.height())
        return Status::failure(mediaerror::kBuffer,
                               QStringLiteral("The buffer is too small for the picture"));
    const DeepImageHeader header{size.width(), size.height(), transferOf(frame)};
    std::memcpy(buffer, &header, sizeof header);
    uint8_t* pixels = buffer + sizeof header;
    if (m_rotation == 0)
        return convertDeep(frame, pixels, rowBytes) ? Status() : unconverted();
    const int storedRow = frame->width * kDeepPixelBytes;
    m_upright.resize(size_t(storedRow) * frame->height + kScratchSlack);
    if (!convertDeep(frame, m_upright.data(), storedRow))
        return unconverted();
    rotateInto(m_upright.data(), frame->width, frame->height, pixels, rowBytes, kDeepPixelBytes);
    return {};
}

QImage FrameConverter::toImage(const AVFrame* frame, QSize size)
{
    if (!frame || size.isEmpty())
        return {};
    const bool quarter = m_rotation == 90 || m_rotation == 270;
    // Scale the stored picture to the size it will have once turned.
    const int width = quarter ? size.height() : size.width();
    const int height = quarter ? size.width() : size.height();
    QImage stored(width, height, QImage::Format_RGB32);
    if (!convert(m_imageScaler, frame, width, height, stored.bits(),
                 static_cast<int>(stored.bytesPerLine())))
        return {};
    if (m_rotation == 0)
        return stored;
    QImage upright(size, QImage::Format_RGB32);
    rotateInto(stored.constBits(), width, height, upright.bits(),
               static_cast<int>(upright.bytesPerLine()));
    return upright;
}

// dst row y starts at dst + y * dstStride; it receives the picture turned clockwise. Pixels
// are copied as bytes: the caller's buffer may start at any address.
void FrameConverter::rotateInto(const uint8_t* src, int srcWidth, int srcHeight, uint8_t* dst,
                                int dstStride, int pixelBytes) const
{
    const auto bytes = static_cast<size_t>(pixelBytes);
    const bool quarter = m_rotation == 90 || m_rotation == 270;
    const int outWidth = quarter ? srcHeight : srcWidth;
    const int outHeight = quarter ? srcWidth : srcHeight;
    for (int y = 0; y < outHeight; ++y) {
        uint8_t* out = dst + static_cast<ptrdiff_t>(y) * dstStride;
        for (int x = 0; x < outWidth; ++x) {
            int sx = x;
            int sy = y;
            if (m_rotation == 90) {
                sx = y;
                sy = srcHeight - 1 - x;
            } else if (m_rotation == 180) {
                sx = srcWidth - 1 - x;
                sy = srcHeight - 1 - y;
            } else if (m_rotation == 270) {
                sx = srcWidth - 1 - y;
                sy = x;
            }
            std::memcpy(out + bytes * static_cast<size_t>(x),
                        src + bytes * (static_cast<size_t>(sy) * srcWidth + sx), bytes);
        }
    }
}

}  // namespace kadrel::ffmpeg
