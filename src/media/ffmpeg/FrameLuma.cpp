#include "media/ffmpeg/FrameLuma.h"

#include "media/MediaErrors.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <bit>

namespace kadrel::ffmpeg {

namespace {

// Whether the first plane holds the luma alone, 8 to 16 bits a sample in one or two bytes of
// the machine's own order.
bool plainLuma(const AVPixFmtDescriptor* desc)
{
    constexpr auto kOther = AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM
                            | AV_PIX_FMT_FLAG_HWACCEL;
    const bool bigEndian = desc->flags & AV_PIX_FMT_FLAG_BE;
    const AVComponentDescriptor& luma = desc->comp[0];
    return !(desc->flags & kOther) && bigEndian == (std::endian::native == std::endian::big)
           && luma.plane == 0 && luma.offset == 0 && luma.depth >= 8
           && luma.step == (luma.depth > 8 ? 2 : 1) && luma.shift + luma.depth <= 8 * luma.step;
}

// The picture's own plane, shared: a reference to its buffers keeps it.
Status shareLuma(const AVFrame* frame, LumaPlane& into)
{
    AVFrame* shared = av_frame_clone(frame);
    if (!shared)
        return Status::failure(mediaerror::kNoImage,
                               QStringLiteral("The picture's luma cannot be read"));
    into.picture = std::shared_ptr<const AVFrame>(shared, [](AVFrame* f) { av_frame_free(&f); });
    into.rows = shared->data[0];
    into.stride = shared->linesize[0];
    return {};
}

// The top 8 bits of each sample.
void copyLuma(const AVFrame* frame, const AVComponentDescriptor& luma, LumaPlane& into)
{
    const int drop = luma.shift + luma.depth - 8;
    into.samples.resize(std::size_t(into.width) * into.height);
    into.useSamples();
    for (int y = 0; y < into.height; ++y) {
        const uint8_t* row = frame->data[0] + std::ptrdiff_t(y) * frame->linesize[0];
        uint8_t* out = into.samples.data() + std::size_t(y) * into.width;
        const auto* wide = reinterpret_cast<const uint16_t*>(row);
        for (int x = 0; x < into.width; ++x)
            out[x] = static_cast<uint8_t>(wide[x] >> drop);
    }
}

}  // namespace

Status FrameLuma::read(const AVFrame* frame, LumaPlane& into)
{
    const int width = frame->width;
    const int height = frame->height;
    into.width = width;
    into.height = height;
    const auto format = static_cast<AVPixelFormat>(frame->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (desc && plainLuma(desc) && desc->comp[0].step == 1 && desc->comp[0].shift == 0)
        return shareLuma(frame, into);
    if (desc && plainLuma(desc)) {
        copyLuma(frame, desc->comp[0], into);
        return {};
    }
    into.samples.resize(std::size_t(width) * height);
    into.useSamples();
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
