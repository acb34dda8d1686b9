#include "support/MediaGenerator.h"

#include "media/ffmpeg/FfmpegHolders.h"

#include <QFile>
#include <QImage>
#include <QTransform>

extern "C" {
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

#include <webp/decode.h>

#include <algorithm>
#include <cmath>

namespace kadrel::test {

namespace {

using namespace kadrel::ffmpeg;

struct OutputDeleter {
    void operator()(AVFormatContext* c) const { avio_closep(&c->pb); avformat_free_context(c); }
};
using OutputPtr = std::unique_ptr<AVFormatContext, OutputDeleter>;

constexpr int kGrid = 4;
constexpr int kSampleRate = 44100;

// The bit of the frame index each block holds, row by row; -1 marks a corner.
constexpr int kBlockBit[kGrid][kGrid] = {
    {-1, 0, 1, -1}, {2, 3, 4, 5}, {6, 7, 8, 9}, {-1, 10, 11, -1}};

// The 10-bit Y, Cb, Cr of HdrLevels at (x, y): display light in BT.2020, then the transfer.
std::array<int, 3> hdrCodes(const ClipSpec& recipe, int x, int y)
{
    const QColor colour = hdrColours()[size_t(x / 8)];
    const double grey = kHdrGreyNits[size_t(x / 8)];
    const double bt709[3] = {colour.redF() * 100, colour.greenF() * 100, colour.blueF() * 100};
    static constexpr double toBt2020[3][3] = {
        {0.6274, 0.3293, 0.0433}, {0.0691, 0.9195, 0.0114}, {0.0164, 0.0880, 0.8956}};
    double nits[3];
    for (int i = 0; i < 3; ++i)
        nits[i] = y < 8 ? grey : toBt2020[i][0] * bt709[0] + toBt2020[i][1] * bt709[1]
                                     + toBt2020[i][2] * bt709[2];
    const double luminance = 0.2627 * nits[0] + 0.6780 * nits[1] + 0.0593 * nits[2];
    // HLG: the scene light a 1000-nit display (system gamma 1.2) shows as these nits.
    const double scale = 1000 * std::pow(luminance / 1000, 0.2 / 1.2);
    double e[3];
    for (int i = 0; i < 3; ++i) {
        if (recipe.transfer == ClipSpec::Transfer::Pq) {
            const double l = std::pow(nits[i] / 10000, 0.1593017578125);
            e[i] = std::pow((0.8359375 + 18.8515625 * l) / (1 + 18.6875 * l), 78.84375);
        } else {
            const double s = nits[i] / scale;
            e[i] = s <= 1.0 / 12 ? std::sqrt(3 * s)
                                 : 0.17883277 * std::log(12 * s - 0.28466892) + 0.55991073;
        }
    }
    const double luma = 0.2627 * e[0] + 0.6780 * e[1] + 0.0593 * e[2];
    return {int(std::lround(64 + 876 * luma)), int(std::lround(512 + 896 * (e[2] - luma) / 1.8814)),
            int(std::lround(512 + 896 * (e[0] - luma) / 1.4746))};
}

Status fail(const QString& what, int err = -1)
{
    return Status::failure(err, what + QLatin1Char(' ') + avErrorText(err));
}

// The colour of frame index at (x, y) of the upright picture.
QColor uprightColour(const ClipSpec& recipe, int index, int x, int y)
{
    static const auto bars = colourBars();
    if (recipe.content == ClipSpec::Content::ColourBars)
        return bars[static_cast<size_t>(x * 8 / recipe.width)];
    const int col = x * kGrid / recipe.width;
    const int row = y * kGrid / recipe.height;
    const int bit = kBlockBit[row][col];
    const bool white = bit < 0 ? col == 0 && row == 0 : (index >> bit) & 1;
    const int bar = (2 * index + y % 2) * 6 % recipe.width;
    const bool onBar = recipe.content == ClipSpec::Content::FieldBar && x >= bar && x < bar + 4;
    return white != onBar ? Qt::white : Qt::black;
}

// A display matrix attached to the stream: on its codec parameters since FFmpeg 6.1.
int32_t* newDisplayMatrix(AVStream* stream)
{
    constexpr size_t size = 9 * sizeof(int32_t);
#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(60, 31, 102)
    AVPacketSideData* side =
        av_packet_side_data_new(&stream->codecpar->coded_side_data,
                                &stream->codecpar->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX,
                                size, 0);
    return reinterpret_cast<int32_t*>(side->data);
#else
    return reinterpret_cast<int32_t*>(
        av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, size));
#endif
}

class ClipWriter {
public:
    explicit ClipWriter(const ClipSpec& recipe) : m_recipe(recipe) {}

    Status write(const QString& path)
    {
        const QByteArray name = QFile::encodeName(path);
        AVFormatContext* raw = nullptr;
        int err = avformat_alloc_output_context2(&raw, nullptr, nullptr, name.constData());
        if (err < 0)
            return fail(QStringLiteral("unknown container"), err);
        m_output.reset(raw);
        const bool video = m_recipe.codec != ClipSpec::Codec::None;
        if (Status s = video ? openVideo() : Status(); !s)
            return s;
        if (Status s = m_recipe.withAudio ? openAudio() : Status(); !s)
            return s;
        err = avio_open(&m_output->pb, name.constData(), AVIO_FLAG_WRITE);
        if (err >= 0 && m_recipe.streamed)
            m_output->pb->seekable = 0;  // the muxer cannot go back to write length or index
        if (m_recipe.creationTime)
            av_dict_set(&m_output->metadata, "creation_time", m_recipe.creationTime, 0);
        if (m_recipe.faststart)
            av_opt_set(m_output->priv_data, "movflags", "+faststart", 0);
        if (err < 0 || (err = avformat_write_header(m_output.get(), nullptr)) < 0)
            return fail(QStringLiteral("cannot start the file"), err);
        Status s;
        for (int i = 0; s && i < m_recipe.frames; ++i) {
            s = video ? videoFrame(i) : Status();
            if (s && m_audioStream)
                s = audioUntil(double(i + 1) / m_recipe.fps);
        }
        if (s && m_audioStream)
            s = audioUntil(soundEnd());
        if (s && m_sound)
            s = encode(m_sound.get(), m_audioStream, nullptr);
        if (s && video)
            s = encode(m_video.get(), m_videoStream, nullptr);
        if (s && (err = av_write_trailer(m_output.get())) < 0)
            return fail(QStringLiteral("cannot finish the file"), err);
        return s;
    }

private:
    Status openVideo()
    {
        // Per codec in ClipSpec's order: the encoder and its settings (global_quality 354 is q 3).
        static const std::pair<const char*, const char*> encoders[] = {
            {"mpeg4", "flags=+qscale:global_quality=354"},
            {"libx264", "bf=2:preset=veryfast:crf=18"},
            {"mjpeg", "flags=+qscale:global_quality=354"},
            {"libvpx", "b=4M:qmin=2:qmax=12:deadline=realtime:cpu-used=8"},
            {"mpeg1video", "flags=+qscale:global_quality=354"},
            {"mpeg2video", "bf=2:flags=+qscale:global_quality=354"},
            {"wmv2", "flags=+qscale:global_quality=354"},
            {"libx265", ""},
            {"ffv1", ""}};
        const auto& [name, settings] = encoders[int(m_recipe.codec)];
        const bool mjpeg = m_recipe.codec == ClipSpec::Codec::Mjpeg;
        m_hdr = m_recipe.codec == ClipSpec::Codec::Hevc10;
        const AVCodec* codec = avcodec_find_encoder_by_name(name);
        if (!codec)
            return fail(QStringLiteral("no video encoder"));
        m_video.reset(avcodec_alloc_context3(codec));
        AVCodecContext* c = m_video.get();
        const bool quarter = m_recipe.rotation == 90 || m_recipe.rotation == 270;
        c->width = quarter ? m_recipe.height : m_recipe.width;
        c->height = quarter ? m_recipe.width : m_recipe.height;
        c->time_base = {m_recipe.fpsDivisor, m_recipe.fps};
        c->framerate = {m_recipe.fps, m_recipe.fpsDivisor};
        c->gop_size = m_recipe.gop;
        c->sample_aspect_ratio = {m_recipe.sampleAspectNum, m_recipe.sampleAspectDen};
        c->pix_fmt = mjpeg ? AV_PIX_FMT_YUVJ420P
                     : m_hdr || m_recipe.codec == ClipSpec::Codec::Ffv1 ? AV_PIX_FMT_YUV420P10LE
                                                                        : AV_PIX_FMT_YUV420P;
        c->color_range = mjpeg ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
        const bool hd = m_recipe.width >= 1280 || m_recipe.height > 576;
        if (m_recipe.tagColour) {
            c->colorspace = hd ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
            c->color_primaries = hd ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M;
            c->color_trc = hd ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
        }
        if (m_hdr) {
            c->colorspace = AVCOL_SPC_BT2020_NCL;
            c->color_primaries = AVCOL_PRI_BT2020;
            c->color_trc = m_recipe.transfer == ClipSpec::Transfer::Pq ? AVCOL_TRC_SMPTE2084
                                                                       : AVCOL_TRC_ARIB_STD_B67;
        }
        if (m_recipe.interlaced) {
            c->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
            c->field_order = AV_FIELD_TT;
        }
        if (m_output->oformat->flags & AVFMT_GLOBALHEADER)
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* options = nullptr;
        av_dict_parse_string(&options, settings, "=", ":", 0);
        if (m_hdr)
            // One thread: x265's output then never depends on how busy the machine is.
            av_dict_set(&options, "x265-params",
                        "lossless=1:log-level=none:pools=none:frame-threads=1", 0);
        if (m_recipe.interlaced && m_recipe.codec == ClipSpec::Codec::H264)  // B B P B B P ...
            av_dict_set(&options, "x264-params", "b-adapt=0:scenecut=0", 0);
        const int err = avcodec_open2(c, codec, &options);
        const bool unknownSetting = av_dict_count(options) > 0;
        av_dict_free(&options);
        if (err < 0 || unknownSetting)
            return fail(QStringLiteral("cannot open the video encoder"), err);
        m_videoStream = avformat_new_stream(m_output.get(), nullptr);
        m_videoStream->time_base = c->time_base;
        m_videoStream->sample_aspect_ratio = c->sample_aspect_ratio;
        // The MP4 muxer times the last frame from it.
        m_videoStream->avg_frame_rate = c->framerate;
        avcodec_parameters_from_context(m_videoStream->codecpar, c);
        const int* matrix = sws_getCoefficients(hd ? SWS_CS_ITU709 : SWS_CS_ITU601);
        m_sws.reset(sws_getContext(c->width, c->height, AV_PIX_FMT_RGB24, c->width, c->height,
                                   AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
        sws_setColorspaceDetails(m_sws.get(), matrix, 1, matrix, mjpeg, 0, 1 << 16, 1 << 16);
        if (m_recipe.rotation != 0)
            av_display_rotation_set(newDisplayMatrix(m_videoStream), m_recipe.rotation);
        return {};
    }

    // 16-bit stereo PCM where the container takes it, else the container's own sound codec.
    Status openAudio()
    {
        m_audioStream = avformat_new_stream(m_output.get(), nullptr);
        m_audioStream->time_base = {1, kSampleRate};
        const AVOutputFormat* format = m_output->oformat;
        const AVCodecID pcm = AV_CODEC_ID_PCM_S16LE;
        const bool takesPcm = avformat_query_codec(format, pcm, FF_COMPLIANCE_NORMAL) == 1;
        const AVCodec* codec = avcodec_find_encoder(takesPcm ? pcm : format->audio_codec);
        m_sound.reset(avcodec_alloc_context3(codec));
        AVCodecContext* c = m_sound.get();
        c->sample_fmt = codec->sample_fmts[0];
        c->sample_rate = kSampleRate;
        c->bit_rate = 128000;
        c->time_base = {1, kSampleRate};
        av_channel_layout_default(&c->ch_layout, 2);
        if (int err = avcodec_open2(c, codec, nullptr); err < 0)
            return fail(QStringLiteral("cannot open the sound encoder"), err);
        m_chunk = c->frame_size > 0 ? c->frame_size : 1024;
        avcodec_parameters_from_context(m_audioStream->codecpar, c);
        return {};
    }

    Status videoFrame(int index)
    {
        const AVCodecContext* c = m_video.get();
        QImage upright(m_recipe.width, m_recipe.height, QImage::Format_RGB888);
        for (int y = 0; y < upright.height(); ++y)
            for (int x = 0; x < upright.width(); ++x)
                upright.setPixelColor(x, y, uprightColour(m_recipe, index, x, y));
        // Stored turned back against the display rotation.
        const QImage stored = upright.transformed(QTransform().rotate(-m_recipe.rotation));
        FramePtr frame = makeFrame();
        frame->format = c->pix_fmt;
        frame->width = c->width;
        frame->height = c->height;
        frame->color_range = c->color_range;
        frame->colorspace = c->colorspace;
#ifdef AV_FRAME_FLAG_INTERLACED
        if (m_recipe.interlaced)
            frame->flags |= AV_FRAME_FLAG_INTERLACED | AV_FRAME_FLAG_TOP_FIELD_FIRST;
#else
        frame->interlaced_frame = frame->top_field_first = m_recipe.interlaced;
#endif
        av_frame_get_buffer(frame.get(), 0);
        const uint8_t* const pixels[1] = {stored.constBits()};
        const int stride[1] = {static_cast<int>(stored.bytesPerLine())};
        if (frame->format == AV_PIX_FMT_YUV420P10LE)
            drawCodes(frame.get());
        else
            sws_scale(m_sws.get(), pixels, stride, 0, c->height, frame->data, frame->linesize);
        frame->pts = std::llround(m_recipe.startOffset * m_recipe.fps)
                     + (m_recipe.frameTicks.empty() ? index : m_recipe.frameTicks.at(index));
        return encode(m_video.get(), m_videoStream, frame.get());
    }

    void drawCodes(AVFrame* frame) const
    {
        for (int y = 0; y < frame->height; ++y)
            for (int x = 0; x < frame->width; ++x) {
                const std::array<int, 3> codes =
                    m_hdr ? hdrCodes(m_recipe, x, y)
                          : std::array{greyRampCode(y * frame->width + x), 512, 512};
                for (int plane = 0; plane < 3; ++plane) {
                    const int shift = plane == 0 ? 0 : 1;
                    auto* row = reinterpret_cast<uint16_t*>(
                        frame->data[plane] + (y >> shift) * frame->linesize[plane]);
                    row[x >> shift] = uint16_t(codes[size_t(plane)]);
                }
            }
    }

    // Sends a frame (null: the end) to an encoder and writes what comes out.
    Status encode(AVCodecContext* encoder, AVStream* stream, AVFrame* frame)
    {
        int err = avcodec_send_frame(encoder, frame);
        while (err >= 0 && (err = avcodec_receive_packet(encoder, m_packet.get())) >= 0) {
            av_packet_rescale_ts(m_packet.get(), encoder->time_base, stream->time_base);
            m_packet->stream_index = stream->index;
            if (err = av_interleaved_write_frame(m_output.get(), m_packet.get()); err < 0)
                return fail(QStringLiteral("writing a packet failed"), err);
        }
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
            return {};
        return fail(QStringLiteral("encoding failed"), err);
    }

    double soundEnd() const
    {
        const double length = m_recipe.soundSeconds > 0 ? m_recipe.soundSeconds
                                                        : double(m_recipe.frames) / m_recipe.fps;
        return m_recipe.soundStart + length;
    }

    // The tone up to the given time and the sound's end, with no packets in the gap.
    Status audioUntil(double seconds)
    {
        const double until = std::min(seconds, soundEnd());
        for (double t = m_recipe.soundStart + double(m_samples) / kSampleRate; t < until;
             m_samples += m_chunk, t = m_recipe.soundStart + double(m_samples) / kSampleRate) {
            if (t >= m_recipe.gapAt && t < m_recipe.gapAt + m_recipe.gapLength)
                continue;
            const int64_t pts = m_samples
                + std::llround((m_recipe.startOffset + m_recipe.soundStart) * kSampleRate);
            if (Status s = encode(m_sound.get(), m_audioStream, toneFrame(pts).get()); !s)
                return s;
        }
        return {};
    }

    static double tone(int64_t sample)
    {
        return 0.3 * std::sin(2 * M_PI * 440.0 * double(sample) / kSampleRate);
    }

    // One chunk of the tone in the encoder's sample format (16-bit or float, packed or planar).
    FramePtr toneFrame(int64_t pts) const
    {
        FramePtr frame = makeFrame();
        frame->format = m_sound->sample_fmt;
        frame->sample_rate = kSampleRate;
        frame->nb_samples = m_chunk;
        av_channel_layout_copy(&frame->ch_layout, &m_sound->ch_layout);
        av_frame_get_buffer(frame.get(), 0);
        const auto format = static_cast<AVSampleFormat>(frame->format);
        const bool planar = av_sample_fmt_is_planar(format);
        const bool floats = av_get_packed_sample_fmt(format) == AV_SAMPLE_FMT_FLT;
        for (int i = 0; i < m_chunk; ++i)
            for (int ch = 0; ch < 2; ++ch) {
                const double v = tone(m_samples + i);
                uint8_t* plane = frame->extended_data[planar ? ch : 0];
                const int at = planar ? i : 2 * i + ch;
                if (floats)
                    reinterpret_cast<float*>(plane)[at] = float(v);
                else
                    reinterpret_cast<int16_t*>(plane)[at] = static_cast<int16_t>(32767 * v);
            }
        frame->pts = pts;
        return frame;
    }

    const ClipSpec& m_recipe;
    OutputPtr m_output;
    CodecPtr m_video;
    CodecPtr m_sound;
    int m_chunk = 1024;  // samples per sound frame
    SwsPtr m_sws;
    bool m_hdr = false;
    AVStream* m_videoStream = nullptr;
    AVStream* m_audioStream = nullptr;
    PacketPtr m_packet = makePacket();
    int64_t m_samples = 0;
};

}  // namespace

Status generateClip(const ClipSpec& recipe, const QString& path)
{
    if (recipe.codec == ClipSpec::Codec::None && !recipe.withAudio)
        return Status::failure(-1, QStringLiteral("a clip needs video or sound"));
    av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics would flood the test output
    return ClipWriter(recipe).write(path);
}

std::array<QColor, 8> hdrColours()
{
    return {QColor::fromRgbF(0.6f, 0, 0),      QColor::fromRgbF(0, 0.6f, 0),
            QColor::fromRgbF(0, 0, 0.6f),      QColor::fromRgbF(0.6f, 0.6f, 0),
            QColor::fromRgbF(0, 0.6f, 0.6f),   QColor::fromRgbF(0.6f, 0, 0.6f),
            QColor::fromRgbF(0.8f, 0.3f, 0),   QColor::fromRgbF(0.7f, 0.4f, 0.3f)};
}

std::array<QColor, 8> colourBars()
{
    return {QColor(255, 255, 255), QColor(255, 255, 0), QColor(0, 255, 255), QColor(0, 255, 0),
            QColor(255, 0, 255),   QColor(255, 0, 0),   QColor(0, 0, 255),   QColor(0, 0, 0)};
}

int frameIndexFromImage(const QImage& image)
{
    if (image.width() < kGrid * 4 || image.height() < kGrid * 4)
        return -1;
    const QImage blocks =
        image.scaled(kGrid, kGrid, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int index = 0;
    for (int row = 0; row < kGrid; ++row)
        for (int col = 0; col < kGrid; ++col) {
            const int v = qGray(blocks.pixel(col, row));
            const int bit = kBlockBit[row][col];
            if (v > 80 && v < 175)
                return -1;  // neither black nor white: not our pattern
            if (bit >= 0)
                index |= int(v >= 175) << bit;
            else if ((v >= 175) != (col == 0 && row == 0))
                return -1;  // a corner is wrong: turned or mirrored
        }
    return index;
}

int frameIndexFromBitmap(const QString& path) { return frameIndexFromImage(QImage(path, "BMP")); }
int frameIndexFromBitmap(const QByteArray& bmp)
{
    return frameIndexFromImage(QImage::fromData(bmp, "BMP"));
}
int frameIndexFromImageFile(const QString& path) { return frameIndexFromImage(loadImage(path)); }

QImage loadImage(const QString& path)
{
    if (!path.endsWith(QLatin1String(".webp")))
        return QImage(path);
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    int width = 0, height = 0;
    uint8_t* const argb = WebPDecodeBGRA(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                         size_t(bytes.size()), &width, &height);
    if (!argb)
        return {};
    const QImage image = QImage(argb, width, height, QImage::Format_RGB32).copy();
    WebPFree(argb);
    return image;
}

}  // namespace kadrel::test
