#include "media/ffmpeg/ImageEncoders.h"

#include "media/ffmpeg/FfmpegHolders.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <thread>

namespace kadrel::ffmpeg {

namespace {

constexpr int kBadSnapshotError = 481;
constexpr int kEncoderError = 482;

// Deflate level of PNG files: lossless at any level, and level 1 is several times faster than
// the default; with the "up" filter its files are about as small as the default's unfiltered.
constexpr int kPngCompression = 1;

std::int32_t le32(const unsigned char* at)
{
    return static_cast<std::int32_t>(at[0] | (at[1] << 8) | (at[2] << 16)
                                     | (std::uint32_t{at[3]} << 24));
}

// Where the rows of a 32-bit snapshot are: the top row and the step to the next row down.
struct Picture {
    int width = 0;
    int height = 0;
    const unsigned char* top = nullptr;
    std::ptrdiff_t step = 0;
};

Result<Picture> readSnapshot(const unsigned char* dib, std::size_t size)
{
    const Status bad = Status::failure(kBadSnapshotError,
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

Status encoderFailure(int error)
{
    return Status::failure(kEncoderError, QStringLiteral("The image could not be encoded: %1")
                                              .arg(avErrorText(error)));
}

// PNG written here with zlib: each half of the picture is filtered and deflated on a thread of
// its own, and the two deflate streams are joined into one (the first ends on a byte boundary
// with a sync flush), so a lone encoding thread still uses both cores.
class PngEncoder final : public ImageEncoder {
public:
    Result<std::size_t> encode(const unsigned char* dib, std::size_t size,
                               AlignedBytes& file) override
    {
        const Result<Picture> picture = readSnapshot(dib, size);
        if (!picture)
            return picture.status();
        const Picture& p = picture.value();
        const int middle = p.height / 2;
        std::thread second([&] { m_parts[1].compress(p, middle, p.height, true); });
        m_parts[0].compress(p, 0, middle, false);
        second.join();
        for (const Part& part : m_parts)
            if (!part.ok)
                return Status::failure(kEncoderError,
                                       QStringLiteral("The image could not be encoded: zlib"));
        return assemble(p, file);
    }

private:
    // One band of rows: "up"-filtered RGB rows, deflated as raw data.
    struct Part {
        void compress(const Picture& p, int first, int end, bool last)
        {
            const std::size_t rowBytes = 1 + std::size_t{3} * p.width;
            rows.resize(rowBytes * (end - first));
            aboveRow = -1;
            for (int y = first; y < end; ++y)
                filterRow(p, y, rows.data() + rowBytes * (y - first));
            length = rows.size();
            adler = adler32(1, rows.data(), static_cast<uInt>(length));
            ok = deflateBand(last);
        }

        // R, G, B of row y minus those of the row above, none for the top row (the PNG "up"
        // filter, type 2).
        void filterRow(const Picture& p, int y, unsigned char* out)
        {
            const std::size_t bytes = std::size_t{3} * p.width;
            current.resize(bytes);
            above.resize(bytes);
            toRgb(p.top + p.step * y, current.data(), p.width);
            if (y == 0)
                std::fill(above.begin(), above.end(), 0);
            else if (aboveRow != y - 1)
                toRgb(p.top + p.step * (y - 1), above.data(), p.width);
            *out = 2;
            subtract(current.data(), above.data(), out + 1, bytes);
            std::swap(current, above);
            aboveRow = y;
        }

        static void toRgb(const unsigned char* in, unsigned char* out, int width)
        {
            for (int x = 0; x < width; ++x, in += 4, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }

        // Distinct memory, so that the compiler makes vector code of it.
        static void subtract(const unsigned char* __restrict row,
                             const unsigned char* __restrict above, unsigned char* __restrict out,
                             std::size_t bytes)
        {
            for (std::size_t i = 0; i < bytes; ++i)
                out[i] = static_cast<unsigned char>(row[i] - above[i]);
        }

        bool deflateBand(bool last)
        {
            z_stream z{};
            if (deflateInit2(&z, kPngCompression, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
                return false;
            packed.resize(deflateBound(&z, static_cast<uLong>(length)) + 16);
            z.next_in = rows.data();
            z.avail_in = static_cast<uInt>(length);
            z.next_out = packed.data();
            z.avail_out = static_cast<uInt>(packed.size());
            const int result = ::deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
            packedLength = packed.size() - z.avail_out;
            deflateEnd(&z);
            return last ? result == Z_STREAM_END : result == Z_OK && z.avail_in == 0;
        }

        std::vector<unsigned char> rows;
        std::vector<unsigned char> current;  // RGB of the row being filtered
        std::vector<unsigned char> above;    // and of the row above it
        int aboveRow = -1;
        std::vector<unsigned char> packed;
        std::size_t length = 0;
        std::size_t packedLength = 0;
        uLong adler = 1;
        bool ok = false;
    };

    Result<std::size_t> assemble(const Picture& p, AlignedBytes& file) const
    {
        const std::size_t packed = m_parts[0].packedLength + m_parts[1].packedLength;
        const std::size_t total = 8 + (12 + 13) + (12 + 2 + packed + 4) + 12;
        file.reserve(total);
        unsigned char* out = file.data();
        static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A,
                                                        '\n'};
        out = std::copy(std::begin(kSignature), std::end(kSignature), out);

        unsigned char header[13] = {};
        putBe32(header, static_cast<std::uint32_t>(p.width));
        putBe32(header + 4, static_cast<std::uint32_t>(p.height));
        header[8] = 8;  // bits per sample
        header[9] = 2;  // RGB
        out = chunk(out, "IHDR", {{header, sizeof header}});

        const uLong adler =
            adler32_combine(m_parts[0].adler, m_parts[1].adler, static_cast<z_off_t>(m_parts[1].length));
        unsigned char zlibHeader[2] = {0x78, 0x01};
        unsigned char zlibTrailer[4] = {};
        putBe32(zlibTrailer, static_cast<std::uint32_t>(adler));
        out = chunk(out, "IDAT",
                    {{zlibHeader, 2},
                     {m_parts[0].packed.data(), m_parts[0].packedLength},
                     {m_parts[1].packed.data(), m_parts[1].packedLength},
                     {zlibTrailer, 4}});
        out = chunk(out, "IEND", {});
        return static_cast<std::size_t>(out - file.data());
    }

    static void putBe32(unsigned char* at, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            at[i] = static_cast<unsigned char>(value >> (24 - 8 * i));
    }

    // Writes a chunk of the pieces' bytes at out: length, type, data, CRC of type and data.
    static unsigned char* chunk(unsigned char* out, const char* type,
                                std::initializer_list<std::pair<const unsigned char*, std::size_t>> pieces)
    {
        std::size_t length = 0;
        for (const auto& piece : pieces)
            length += piece.second;
        putBe32(out, static_cast<std::uint32_t>(length));
        std::memcpy(out + 4, type, 4);
        uLong crc = crc32(0, out + 4, 4);
        out += 8;
        for (const auto& [data, size] : pieces) {
            std::memcpy(out, data, size);
            crc = crc32(crc, out, static_cast<uInt>(size));
            out += size;
        }
        putBe32(out, static_cast<std::uint32_t>(crc));
        return out + 4;
    }

    std::array<Part, 2> m_parts;
};

// The quantisation tables of the JPEG standard's example (Annex K), in raster order.
constexpr std::array<int, 64> kLuminance{
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<int, 64> kChrominance{
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// A table scaled to a quality of 1..100 as the IJG library scales it, in memory the codec
// context frees.
uint16_t* qualityTable(const std::array<int, 64>& base, int quality)
{
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    auto* table = static_cast<uint16_t*>(av_malloc(64 * sizeof(uint16_t)));
    if (table)
        for (std::size_t i = 0; i < base.size(); ++i)
            table[i] = static_cast<uint16_t>(std::clamp((base[i] * scale + 50) / 100, 1, 255));
    return table;
}

// From this quality up the colour is kept at full resolution (4:4:4): halving it costs sharp
// coloured edges more than the quantisation at such a quality does.
constexpr int kFullChromaQuality = 90;

constexpr int kJpegSlices = 2;

// The mjpeg encoder writes its matrices multiplied by qscale / 8: with qscale 8 they are
// written as given.
constexpr int kMatrixQscale = 8;

// Full-range BT.601 (JFIF) in 16-bit fixed point, on a pixel of the snapshot read as one
// little-endian word (B, G, R, x): plain integer steps the compiler turns into vector code.
constexpr int kHalf = 1 << 15;
constexpr int kMid = (128 << 16) + kHalf;

inline int channel(std::uint32_t pixel, int shift)
{
    return static_cast<int>((pixel >> shift) & 0xFF);
}
inline unsigned char clampByte(int value)
{
    return static_cast<unsigned char>(std::min(std::max(value, 0), 255));
}
inline unsigned char lumaOf(int r, int g, int b)
{
    return clampByte((19595 * r + 38470 * g + 7471 * b + kHalf) >> 16);
}
inline unsigned char blueDifferenceOf(int r, int g, int b)
{
    return clampByte((-11059 * r - 21709 * g + 32768 * b + kMid) >> 16);
}
inline unsigned char redDifferenceOf(int r, int g, int b)
{
    return clampByte((32768 * r - 27439 * g - 5329 * b + kMid) >> 16);
}

const std::uint32_t* pixelRow(const Picture& p, int y)
{
    return reinterpret_cast<const std::uint32_t*>(p.top + p.step * y);
}

unsigned char* planeRow(const AVFrame& frame, int plane, int y)
{
    return frame.data[plane] + std::ptrdiff_t{frame.linesize[plane]} * y;
}

// One row of pixels into luma alone, or into luma and both colour differences. The arrays are
// distinct memory (the stores cannot change pixels still to be read), which lets the compiler
// turn these loops into vector code.
void lumaRow(const std::uint32_t* __restrict in, unsigned char* __restrict luma, int width)
{
    for (int x = 0; x < width; ++x)
        luma[x] = lumaOf(channel(in[x], 16), channel(in[x], 8), channel(in[x], 0));
}

void fullRow(const std::uint32_t* __restrict in, unsigned char* __restrict luma,
             unsigned char* __restrict cb, unsigned char* __restrict cr, int width)
{
    for (int x = 0; x < width; ++x) {
        const int r = channel(in[x], 16), g = channel(in[x], 8), b = channel(in[x], 0);
        luma[x] = lumaOf(r, g, b);
        cb[x] = blueDifferenceOf(r, g, b);
        cr[x] = redDifferenceOf(r, g, b);
    }
}

// Rows first to end of the picture into the frame's Y, Cb and Cr planes; with halfChroma one
// Cb and Cr sample per 2 x 2 pixels, of their mean colour (first is even).
void toYCbCr(const Picture& p, AVFrame& frame, int first, int end, bool halfChroma)
{
    for (int y = first; y < end; ++y) {
        if (halfChroma)
            lumaRow(pixelRow(p, y), planeRow(frame, 0, y), p.width);
        else
            fullRow(pixelRow(p, y), planeRow(frame, 0, y), planeRow(frame, 1, y),
                    planeRow(frame, 2, y), p.width);
    }
    if (!halfChroma)
        return;
    for (int y = first; y < end; y += 2) {
        const std::uint32_t* upper = pixelRow(p, y);
        const std::uint32_t* lower = pixelRow(p, std::min(y + 1, p.height - 1));
        unsigned char* cb = planeRow(frame, 1, y / 2);
        unsigned char* cr = planeRow(frame, 2, y / 2);
        for (int x = 0; x < p.width; x += 2) {
            const int right = std::min(x + 1, p.width - 1);
            const std::uint32_t four[4] = {upper[x], upper[right], lower[x], lower[right]};
            int sums[3] = {2, 2, 2};
            for (const std::uint32_t pixel : four)
                for (int c = 0; c < 3; ++c)
                    sums[c] += channel(pixel, 16 - 8 * c);
            cb[x / 2] = blueDifferenceOf(sums[0] / 4, sums[1] / 4, sums[2] / 4);
            cr[x / 2] = redDifferenceOf(sums[0] / 4, sums[1] / 4, sums[2] / 4);
        }
    }
}

// JPEG through FFmpeg's mjpeg encoder, with a codec context per picture size (the encoder
// keeps nothing else from one picture to the next).
class JpegEncoder final : public ImageEncoder {
public:
    explicit JpegEncoder(int quality) : m_quality(std::clamp(quality, 1, 100)) {}

    Result<std::size_t> encode(const unsigned char* dib, std::size_t size,
                               AlignedBytes& file) override
    {
        const Result<Picture> picture = readSnapshot(dib, size);
        if (!picture)
            return picture.status();
        const Picture& p = picture.value();
        if (!m_context || m_context->width != p.width || m_context->height != p.height) {
            if (Status s = open(p.width, p.height); !s)
                return s;
        }
        if (const int e = av_frame_make_writable(m_frame.get()); e < 0)
            return encoderFailure(e);
        fill(p, *m_frame);
        return collect(file);
    }

private:
    AVPixelFormat pixelFormat() const
    {
        return m_quality >= kFullChromaQuality ? AV_PIX_FMT_YUVJ444P : AV_PIX_FMT_YUVJ420P;
    }

    Status configure(AVCodecContext& context)
    {
        // Slices of one picture are encoded side by side, so a lone encoding thread still
        // uses both cores.
        context.thread_count = kJpegSlices;
        context.thread_type = FF_THREAD_SLICE;
        context.flags |= AV_CODEC_FLAG_QSCALE;
        context.global_quality = kMatrixQscale * FF_QP2LAMBDA;
        context.color_range = AVCOL_RANGE_JPEG;
        context.colorspace = AVCOL_SPC_BT470BG;
        context.intra_matrix = qualityTable(kLuminance, m_quality);
        context.chroma_intra_matrix = qualityTable(kChrominance, m_quality);
        if (!context.intra_matrix || !context.chroma_intra_matrix)
            return encoderFailure(AVERROR(ENOMEM));
        return {};
    }

    // The two halves of the picture are converted side by side.
    void fill(const Picture& picture, AVFrame& frame)
    {
        const bool halfChroma = pixelFormat() == AV_PIX_FMT_YUVJ420P;
        const int middle = picture.height / 4 * 2;  // even, so 4:2:0 rows pair up
        std::thread second([&] { toYCbCr(picture, frame, middle, picture.height, halfChroma); });
        toYCbCr(picture, frame, 0, middle, halfChroma);
        second.join();
        frame.quality = kMatrixQscale * FF_QP2LAMBDA;
    }

    Status open(int width, int height)
    {
        m_context.reset();
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
        if (!codec)
            return encoderFailure(AVERROR_ENCODER_NOT_FOUND);
        m_context.reset(avcodec_alloc_context3(codec));
        m_frame = makeFrame();
        m_packet = makePacket();
        if (!m_context || !m_frame || !m_packet)
            return encoderFailure(AVERROR(ENOMEM));
        m_context->width = width;
        m_context->height = height;
        m_context->pix_fmt = pixelFormat();
        m_context->time_base = {1, 25};
        if (Status s = configure(*m_context); !s)
            return s;
        m_frame->width = width;
        m_frame->height = height;
        m_frame->format = pixelFormat();
        int e = avcodec_open2(m_context.get(), codec, nullptr);
        if (e >= 0)
            e = av_frame_get_buffer(m_frame.get(), 0);
        if (e < 0) {
            m_context.reset();
            return encoderFailure(e);
        }
        return {};
    }

    Result<std::size_t> collect(AlignedBytes& file)
    {
        int e = avcodec_send_frame(m_context.get(), m_frame.get());
        if (e >= 0)
            e = avcodec_receive_packet(m_context.get(), m_packet.get());
        if (e < 0) {
            m_context.reset();  // a context that failed halfway is not used again
            return encoderFailure(e);
        }
        const auto size = static_cast<std::size_t>(m_packet->size);
        file.reserve(size);
        std::memcpy(file.data(), m_packet->data, size);
        av_packet_unref(m_packet.get());
        return size;
    }

    int m_quality;
    CodecPtr m_context;
    FramePtr m_frame;
    PacketPtr m_packet;
};

}  // namespace

}  // namespace kadrel::ffmpeg

namespace kadrel {

std::unique_ptr<ImageEncoder> makeFfmpegImageEncoder(ImageFormat format, int quality)
{
    switch (format) {
    case ImageFormat::Png:
        return std::make_unique<ffmpeg::PngEncoder>();
    case ImageFormat::Jpeg:
        return std::make_unique<ffmpeg::JpegEncoder>(quality);
    case ImageFormat::Bmp:
        break;
    }
    return nullptr;
}

}  // namespace kadrel
