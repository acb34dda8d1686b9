#include "support/MediaGenerator.h"

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace kadrel::test {

namespace {

struct OutputDeleter {
    void operator()(AVFormatContext* c) const
    {
        if (c && c->pb && !(c->oformat->flags & AVFMT_NOFILE))
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using OutputPtr = std::unique_ptr<AVFormatContext, OutputDeleter>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;

constexpr int kGrid = 4;
constexpr int kSampleRate = 44100;

Status fail(const QString& what, int err = -1)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (err < 0)
        av_strerror(err, text, sizeof text);
    return Status::failure(err, QStringLiteral("%1 %2").arg(what, QString::fromUtf8(text)));
}

bool isCorner(int col, int row)
{
    return (col == 0 || col == kGrid - 1) && (row == 0 || row == kGrid - 1);
}

// Whether block (col, row) of frame index is white.
bool blockWhite(int index, int col, int row)
{
    if (isCorner(col, row))
        return col == 0 && row == 0;
    int bit = 0;
    for (int r = 0; r < kGrid; ++r)
        for (int c = 0; c < kGrid; ++c) {
            if (isCorner(c, r))
                continue;
            if (c == col && r == row)
                return (index >> bit) & 1;
            ++bit;
        }
    return false;
}

// The upright picture of frame index as packed RGB24.
std::vector<uint8_t> drawPicture(const ClipSpec& spec, int index)
{
    const int w = spec.width;
    const int h = spec.height;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    const auto bars = colourBars();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            if (spec.content == ClipSpec::Content::ColourBars) {
                const QColor c = bars[static_cast<size_t>(x * 8 / w)];
                p[0] = c.red();
                p[1] = c.green();
                p[2] = c.blue();
            } else {
                const uint8_t v = blockWhite(index, x * kGrid / w, y * kGrid / h) ? 255 : 0;
                p[0] = p[1] = p[2] = v;
            }
        }
    return rgb;
}

// The stored picture: the upright one turned back against the display rotation.
std::vector<uint8_t> storedPicture(const ClipSpec& spec, const std::vector<uint8_t>& upright,
                                   int codedW, int codedH)
{
    if (spec.rotation == 0)
        return upright;
    std::vector<uint8_t> out(upright.size());
    for (int y = 0; y < codedH; ++y)
        for (int x = 0; x < codedW; ++x) {
            int dx = x;
            int dy = y;
            if (spec.rotation == 90) {
                dx = codedH - 1 - y;
                dy = x;
            } else if (spec.rotation == 180) {
                dx = codedW - 1 - x;
                dy = codedH - 1 - y;
            } else if (spec.rotation == 270) {
                dx = y;
                dy = codedW - 1 - x;
            }
            std::memcpy(&out[(static_cast<size_t>(y) * codedW + x) * 3],
                        &upright[(static_cast<size_t>(dy) * spec.width + dx) * 3], 3);
        }
    return out;
}

class ClipWriter {
public:
    explicit ClipWriter(const ClipSpec& spec) : m_spec(spec) {}
    Status write(const QString& path);

private:
    Status openVideo();
    Status openAudio();
    Status encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame);
    Status videoFrame(int index);
    Status audioUntil(double seconds);

    const ClipSpec& m_spec;
    OutputPtr m_output;
    CodecPtr m_video;
    CodecPtr m_audio;
    AVStream* m_videoStream = nullptr;
    AVStream* m_audioStream = nullptr;
    SwsPtr m_sws;
    FramePtr m_frame{av_frame_alloc()};
    PacketPtr m_packet{av_packet_alloc()};
    int64_t m_samples = 0;
    int64_t m_offsetFrames = 0;
};

Status ClipWriter::openVideo()
{
    const bool h264 = m_spec.codec == ClipSpec::Codec::H264;
    const AVCodec* codec = h264 ? avcodec_find_encoder_by_name("libx264")
                                : avcodec_find_encoder(m_spec.codec == ClipSpec::Codec::Mjpeg
                                                           ? AV_CODEC_ID_MJPEG
                                                           : AV_CODEC_ID_MPEG4);
    if (!codec)
        return fail(QStringLiteral("no video encoder"));
    m_video.reset(avcodec_alloc_context3(codec));
    AVCodecContext* c = m_video.get();
    const bool quarter = m_spec.rotation == 90 || m_spec.rotation == 270;
    c->width = quarter ? m_spec.height : m_spec.width;
    c->height = quarter ? m_spec.width : m_spec.height;
    c->time_base = {1, m_spec.fps};
    c->framerate = {m_spec.fps, 1};
    c->gop_size = m_spec.gop;
    const bool mjpeg = m_spec.codec == ClipSpec::Codec::Mjpeg;
    c->pix_fmt = mjpeg ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
    c->color_range = mjpeg ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    const bool hd = m_spec.height >= 720;
    if (m_spec.tagColour) {
        c->colorspace = hd ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
        c->color_primaries = hd ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M;
        c->color_trc = hd ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
    }
    if (h264) {
        c->max_b_frames = 2;
        av_opt_set(c->priv_data, "preset", "veryfast", 0);
        av_opt_set(c->priv_data, "crf", "18", 0);
    } else {
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * 3;
    }
    if (m_output->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (int err = avcodec_open2(c, codec, nullptr); err < 0)
        return fail(QStringLiteral("cannot open the video encoder"), err);

    m_videoStream = avformat_new_stream(m_output.get(), nullptr);
    m_videoStream->time_base = c->time_base;
    // The MP4 muxer times the last frame (and its edit list) from the stream's frame rate.
    m_videoStream->avg_frame_rate = c->framerate;
    avcodec_parameters_from_context(m_videoStream->codecpar, c);
    if (m_spec.rotation != 0) {
        auto* matrix = reinterpret_cast<int32_t*>(av_stream_new_side_data(
            m_videoStream, AV_PKT_DATA_DISPLAYMATRIX, sizeof(int32_t) * 9));
        av_display_rotation_set(matrix, m_spec.rotation);
    }
    m_sws.reset(sws_getContext(c->width, c->height, AV_PIX_FMT_RGB24, c->width, c->height,
                               mjpeg ? AV_PIX_FMT_YUV420P : c->pix_fmt, SWS_BICUBIC, nullptr,
                               nullptr, nullptr));
    sws_setColorspaceDetails(m_sws.get(), sws_getCoefficients(SWS_CS_DEFAULT), 1,
                             sws_getCoefficients(hd ? SWS_CS_ITU709 : SWS_CS_ITU601),
                             mjpeg ? 1 : 0, 0, 1 << 16, 1 << 16);
    m_offsetFrames = std::llround(m_spec.startOffset * m_spec.fps);
    return {};
}

Status ClipWriter::openAudio()
{
    const bool mp4 = QByteArray(m_output->oformat->name).contains("mp4");
    const AVCodec* codec = avcodec_find_encoder(mp4 ? AV_CODEC_ID_AAC : AV_CODEC_ID_PCM_S16LE);
    if (!codec)
        return fail(QStringLiteral("no audio encoder"));
    m_audio.reset(avcodec_alloc_context3(codec));
    AVCodecContext* c = m_audio.get();
    c->sample_rate = kSampleRate;
    c->sample_fmt = mp4 ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&c->ch_layout, 2);
    c->time_base = {1, kSampleRate};
    c->bit_rate = 128000;
    if (m_output->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (int err = avcodec_open2(c, codec, nullptr); err < 0)
        return fail(QStringLiteral("cannot open the audio encoder"), err);
    m_audioStream = avformat_new_stream(m_output.get(), nullptr);
    m_audioStream->time_base = c->time_base;
    avcodec_parameters_from_context(m_audioStream->codecpar, c);
    return {};
}

Status ClipWriter::encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame)
{
    if (int err = avcodec_send_frame(codec, frame); err < 0)
        return fail(QStringLiteral("encoding failed"), err);
    for (;;) {
        const int err = avcodec_receive_packet(codec, m_packet.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
            return {};
        if (err < 0)
            return fail(QStringLiteral("encoding failed"), err);
        av_packet_rescale_ts(m_packet.get(), codec->time_base, stream->time_base);
        m_packet->stream_index = stream->index;
        if (int w = av_interleaved_write_frame(m_output.get(), m_packet.get()); w < 0)
            return fail(QStringLiteral("writing failed"), w);
    }
}

Status ClipWriter::videoFrame(int index)
{
    AVCodecContext* c = m_video.get();
    FramePtr frame(av_frame_alloc());
    frame->format = c->pix_fmt;
    frame->width = c->width;
    frame->height = c->height;
    frame->color_range = c->color_range;
    frame->colorspace = c->colorspace;
    av_frame_get_buffer(frame.get(), 0);
    const std::vector<uint8_t> rgb =
        storedPicture(m_spec, drawPicture(m_spec, index), c->width, c->height);
    const uint8_t* src[1] = {rgb.data()};
    const int srcStride[1] = {c->width * 3};
    sws_scale(m_sws.get(), src, srcStride, 0, c->height, frame->data, frame->linesize);
    frame->pts = m_offsetFrames + index;
    return encode(c, m_videoStream, frame.get());
}

Status ClipWriter::audioUntil(double seconds)
{
    AVCodecContext* c = m_audio.get();
    const int chunk = c->frame_size > 0 ? c->frame_size : 1024;
    const int64_t offset = std::llround(m_spec.startOffset * kSampleRate);
    while (static_cast<double>(m_samples) / kSampleRate < seconds) {
        FramePtr frame(av_frame_alloc());
        frame->format = c->sample_fmt;
        frame->nb_samples = chunk;
        frame->sample_rate = kSampleRate;
        av_channel_layout_copy(&frame->ch_layout, &c->ch_layout);
        av_frame_get_buffer(frame.get(), 0);
        for (int i = 0; i < chunk; ++i) {
            const double v = 0.3 * std::sin(2 * M_PI * 440.0 * double(m_samples + i) / kSampleRate);
            if (c->sample_fmt == AV_SAMPLE_FMT_FLTP) {
                reinterpret_cast<float*>(frame->data[0])[i] = static_cast<float>(v);
                reinterpret_cast<float*>(frame->data[1])[i] = static_cast<float>(v);
            } else {
                auto* s = reinterpret_cast<int16_t*>(frame->data[0]);
                s[2 * i] = s[2 * i + 1] = static_cast<int16_t>(v * 32767);
            }
        }
        frame->pts = offset + m_samples;
        m_samples += chunk;
        if (Status s = encode(c, m_audioStream, frame.get()); !s)
            return s;
    }
    return {};
}

Status ClipWriter::write(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    AVFormatContext* raw = nullptr;
    if (int err = avformat_alloc_output_context2(&raw, nullptr, nullptr, name.constData());
        err < 0)
        return fail(QStringLiteral("unknown container"), err);
    m_output.reset(raw);
    const bool video = m_spec.codec != ClipSpec::Codec::None;
    if (video)
        if (Status s = openVideo(); !s)
            return s;
    if (m_spec.withAudio)
        if (Status s = openAudio(); !s)
            return s;
    if (int err = avio_open(&m_output->pb, name.constData(), AVIO_FLAG_WRITE); err < 0)
        return fail(QStringLiteral("cannot create the file"), err);
    if (int err = avformat_write_header(m_output.get(), nullptr); err < 0)
        return fail(QStringLiteral("cannot write the header"), err);

    for (int i = 0; i < m_spec.frames; ++i) {
        if (video)
            if (Status s = videoFrame(i); !s)
                return s;
        if (m_audio)
            if (Status s = audioUntil(double(i + 1) / m_spec.fps); !s)
                return s;
    }
    if (video)
        if (Status s = encode(m_video.get(), m_videoStream, nullptr); !s)
            return s;
    if (m_audio)
        if (Status s = encode(m_audio.get(), m_audioStream, nullptr); !s)
            return s;
    if (int err = av_write_trailer(m_output.get()); err < 0)
        return fail(QStringLiteral("cannot finish the file"), err);
    return {};
}

struct BitmapView {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    int stride = 0;
    bool bottomUp = true;

    const uint8_t* at(int x, int y) const
    {
        const int row = bottomUp ? height - 1 - y : y;
        return pixels + static_cast<size_t>(row) * stride + static_cast<size_t>(x) * bytesPerPixel;
    }
};

int32_t le32(const QByteArray& b, int at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return static_cast<int32_t>(v);
}

bool viewBitmap(const QByteArray& bmp, BitmapView& view)
{
    if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M')
        return false;
    const int offset = le32(bmp, 10);
    view.width = le32(bmp, 18);
    const int32_t height = le32(bmp, 22);
    const int bits = static_cast<uint8_t>(bmp[28]) | static_cast<uint8_t>(bmp[29]) << 8;
    if (view.width <= 0 || height == 0 || (bits != 24 && bits != 32))
        return false;
    view.bottomUp = height > 0;
    view.height = std::abs(height);
    view.bytesPerPixel = bits / 8;
    view.stride = (view.width * view.bytesPerPixel + 3) & ~3;
    if (offset + static_cast<qint64>(view.stride) * view.height > bmp.size())
        return false;
    view.pixels = reinterpret_cast<const uint8_t*>(bmp.constData()) + offset;
    return true;
}

// Mean brightness of the middle half of a block, away from edges the codec may blur.
double blockBrightness(const BitmapView& view, int col, int row)
{
    const int x0 = col * view.width / kGrid;
    const int x1 = (col + 1) * view.width / kGrid;
    const int y0 = row * view.height / kGrid;
    const int y1 = (row + 1) * view.height / kGrid;
    const int mx = (x1 - x0) / 4;
    const int my = (y1 - y0) / 4;
    double sum = 0;
    int count = 0;
    for (int y = y0 + my; y < y1 - my; ++y)
        for (int x = x0 + mx; x < x1 - mx; ++x) {
            const uint8_t* p = view.at(x, y);
            sum += (p[0] + p[1] + p[2]) / 3.0;
            ++count;
        }
    return count ? sum / count : -1.0;
}

}  // namespace

Status generateClip(const ClipSpec& spec, const QString& path)
{
    if (spec.codec == ClipSpec::Codec::None && !spec.withAudio)
        return Status::failure(-1, QStringLiteral("a clip needs video or sound"));
    av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics would flood the test output
    ClipWriter writer(spec);
    return writer.write(path);
}

std::array<QColor, 8> colourBars()
{
    return {QColor(255, 255, 255), QColor(255, 255, 0), QColor(0, 255, 255), QColor(0, 255, 0),
            QColor(255, 0, 255),   QColor(255, 0, 0),   QColor(0, 0, 255),   QColor(0, 0, 0)};
}

int frameIndexFromBitmap(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return frameIndexFromBitmap(file.readAll());
}

int frameIndexFromBitmap(const QByteArray& bmp)
{
    BitmapView view;
    if (!viewBitmap(bmp, view) || view.width < kGrid * 4 || view.height < kGrid * 4)
        return -1;
    int index = 0;
    int bit = 0;
    for (int row = 0; row < kGrid; ++row)
        for (int col = 0; col < kGrid; ++col) {
            const double v = blockBrightness(view, col, row);
            if (v > 80 && v < 175)
                return -1;  // neither black nor white: not our pattern
            const bool white = v >= 175;
            if (isCorner(col, row)) {
                if (white != (col == 0 && row == 0))
                    return -1;
                continue;
            }
            if (white)
                index |= 1 << bit;
            ++bit;
        }
    return index;
}

QColor bitmapPixel(const QByteArray& bmp, int x, int y)
{
    BitmapView view;
    if (!viewBitmap(bmp, view) || x < 0 || y < 0 || x >= view.width || y >= view.height)
        return {};
    const uint8_t* p = view.at(x, y);
    return QColor(p[2], p[1], p[0]);
}

}  // namespace kadrel::test
