#include "media/ffmpeg/FrameLuma.h"

#include "media/MediaErrors.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cstring>

namespace kadrel::ffmpeg {

namespace {

// Whether the first plane holds the luma alone, one byte a sample.
bool lumaPlaneIsBytes(const AVPixFmtDescriptor* desc)
{
    constexpr auto kOther = AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM
                            | AV_PIX_FMT_FLAG_HWACCEL;
    const AVComponentDescriptor& luma = desc->comp[0];
    return !(desc->flags & kOther) && luma.plane == 0 && luma.depth == 8 && luma.step == 1
           && luma.offset == 0 && luma.shift == 0;
}

}  // namespace

Status FrameLuma::read(const AVFrame* frame, LumaPlane& into)
{
    const int width = frame->width;
    const int height = frame->height;
    into.width = width;
    into.height = height;
    into.samples.resize(std::size_t(width) * height);
    const auto format = static_cast<AVPixelFormat>(frame->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (desc && lumaPlaneIsBytes(desc)) {
        for (int y = 0; y < height; ++y)
            std::memcpy(into.samples.data() + std::size_t(y) * width,
                        frame->data[0] + std::ptrdiff_t(y) * frame->linesize[0], width);
        return {};
    }
    m_scaler.reset(sws_getCachedContext(m_scaler.release(), width, height, format, width, height,
                                        AV_PIX_FMT_GRAY8, SWS_POINT, nullptr, nullptr, nullptr));
    if (!m_scaler)
        return Status::failure(mediaerror::kNoImage,
                               QStringLiteral("The picture's luma cannot be read"));
    const int* matrix = sws_getCoefficients(SWS_CS_DEFAULT);
    const bool rgb = desc && (desc->flags & AV_PIX_FMT_FLAG_RGB);
    const int range = rgb || frame->color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    sws_setColorspaceDetails(m_scaler.get(), matrix, range, matrix, range, 0, 1 << 16, 1 << 16);
    uint8_t* const rows[4] = {into.samples.data()};
    const int stride[4] = {width};
    sws_scale(m_scaler.get(), frame->data, frame->linesize, 0, height, rows, stride);
    return {};
}

}  // namespace kadrel::ffmpeg
