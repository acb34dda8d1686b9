#include "output/PngEncoder.h"

#include "media/MediaErrors.h"
#include "output/Snapshot.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace kadrel {

namespace {

// libdeflate's level 2 packs "up"-filtered video frames smaller than zlib's level 1, sooner.
constexpr int kPngCompression = 2;

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kChunkFrame = 12;  // length, type, CRC
constexpr std::size_t kHeaderBytes = 13;

struct FreeCompressor {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

void putBe32(unsigned char* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

// Starts a chunk of the type at out; its data follow at out + 8.
unsigned char* openChunk(unsigned char* out, const char* type)
{
    std::memcpy(out + 4, type, 4);
    return out + 8;
}

// Completes the chunk opened at start, whose length bytes of data are in place: its length
// before the type, its CRC of type and data after them; returns the chunk's end.
unsigned char* sealChunk(unsigned char* start, std::size_t length)
{
    putBe32(start, static_cast<std::uint32_t>(length));
    putBe32(start + 8 + length, libdeflate_crc32(0, start + 4, 4 + length));
    return start + kChunkFrame + length;
}

// A tEXt chunk of keyword and text, or an iTXt chunk (UTF-8) for text beyond Latin-1.
void appendTextChunk(std::vector<unsigned char>& out, const QByteArray& keyword,
                     const QString& text)
{
    const bool latin1 = std::all_of(text.begin(), text.end(),
                                    [](QChar c) { return c.unicode() < 0x100; });
    QByteArray data = keyword + '\0';
    if (!latin1)
        data += QByteArray("\0\0\0\0", 4);  // not compressed, no language, no translation
    data += latin1 ? text.toLatin1() : text.toUtf8();
    const std::size_t start = out.size();
    out.resize(start + kChunkFrame + static_cast<std::size_t>(data.size()));
    unsigned char* chunk = openChunk(out.data() + start, latin1 ? "tEXt" : "iTXt");
    std::memcpy(chunk, data.constData(), static_cast<std::size_t>(data.size()));
    sealChunk(out.data() + start, static_cast<std::size_t>(data.size()));
}

// cICP for an HDR picture kept as its signal: BT.2020 primaries, PQ (16) or HLG (18), RGB,
// full range; viewers that know it show the picture as HDR.
void appendColourChunk(std::vector<unsigned char>& out, PictureTransfer transfer)
{
    if (transfer == PictureTransfer::Sdr)
        return;
    const unsigned char code = transfer == PictureTransfer::Pq ? 16 : 18;
    const unsigned char data[4] = {9, code, 0, 1};
    const std::size_t start = out.size();
    out.resize(start + kChunkFrame + sizeof data);
    std::memcpy(openChunk(out.data() + start, "cICP"), data, sizeof data);
    sealChunk(out.data() + start, sizeof data);
}

// Each row "up"-filtered (its R, G, B minus those of the row above, byte by byte), then the
// whole picture deflated as one zlib stream straight into the file's IDAT chunk. A 16-bit
// picture's samples go big-endian, as PNG stores them.
class PngEncoder final : public FrameEncoder {
public:
    Result<FileImage> encode(FrameBuffer& frame, const FrameFacts& facts) override
    {
        const Result<Layout> filtered = frame.depth() == 16 ? filterDeep(frame) : filterDib(frame);
        if (!filtered)
            return filtered.status();
        const Layout& p = filtered.value();
        if (!m_compressor)
            m_compressor.reset(libdeflate_alloc_compressor(kPngCompression));
        if (!m_compressor)
            return failure();
        m_chunks.clear();
        appendColourChunk(m_chunks, p.transfer);
        if (facts.any())
            for (const auto& [keyword, text] : factTexts(facts))
                appendTextChunk(m_chunks, keyword, text);
        const std::size_t bound = libdeflate_zlib_compress_bound(m_compressor.get(), m_rows.size());
        m_file.reserve(sizeof kSignature + 3 * kChunkFrame + kHeaderBytes + m_chunks.size()
                       + bound);
        unsigned char* out = std::copy(std::begin(kSignature), std::end(kSignature), m_file.data());

        unsigned char* header = openChunk(out, "IHDR");
        putBe32(header, static_cast<std::uint32_t>(p.width));
        putBe32(header + 4, static_cast<std::uint32_t>(p.height));
        const unsigned char depthAndType[5] = {p.depth, 2, 0, 0, 0};  // RGB, no interlace
        std::memcpy(header + 8, depthAndType, sizeof depthAndType);
        out = sealChunk(out, kHeaderBytes);
        out = std::copy(m_chunks.begin(), m_chunks.end(), out);

        unsigned char* data = openChunk(out, "IDAT");
        const std::size_t packed = libdeflate_zlib_compress(m_compressor.get(), m_rows.data(),
                                                            m_rows.size(), data, bound);
        if (packed == 0)
            return failure();
        out = sealChunk(out, packed);

        openChunk(out, "IEND");
        out = sealChunk(out, 0);
        return FileImage{m_file.data(), static_cast<std::size_t>(out - m_file.data())};
    }

private:
    // What IHDR and cICP say of the rows filtered.
    struct Layout {
        int width = 0;
        int height = 0;
        unsigned char depth = 8;
        PictureTransfer transfer = PictureTransfer::Sdr;
    };

    static Status failure()
    {
        return Status::failure(mediaerror::kEncoder,
                               QStringLiteral("The image could not be encoded: deflate"));
    }

    Result<Layout> filterDib(FrameBuffer& frame)
    {
        const Result<Picture> picture = readSnapshot(frame.dib(), frame.dibBytes());
        if (!picture)
            return picture.status();
        const Picture& p = picture.value();
        filterRows(p.height, std::size_t{3} * p.width,
                   [&](int y, unsigned char* out) { toRgb(p.row(y), out, p.width); });
        return Layout{p.width, p.height, 8, PictureTransfer::Sdr};
    }

    Result<Layout> filterDeep(FrameBuffer& frame)
    {
        const Result<DeepPicture> picture = readDeepSnapshot(frame.dib(), frame.dibBytes());
        if (!picture)
            return picture.status();
        const DeepPicture& p = picture.value();
        filterRows(p.height, std::size_t{6} * p.width,
                   [&](int y, unsigned char* out) { toBigEndian(p.row(y), out, 3 * p.width); });
        return Layout{p.width, p.height, 16, p.transfer};
    }

    // toRow(y, out) writes row y's bytes as the file holds them.
    template <typename ToRow>
    void filterRows(int height, std::size_t bytes, const ToRow& toRow)
    {
        m_rows.resize((1 + bytes) * height);
        m_current.resize(bytes);
        m_above.assign(bytes, 0);
        unsigned char* out = m_rows.data();
        for (int y = 0; y < height; ++y, out += 1 + bytes) {
            toRow(y, m_current.data());
            *out = 2;  // the "up" filter
            subtract(m_current.data(), m_above.data(), out + 1, bytes);
            std::swap(m_current, m_above);
        }
    }

    static void toBigEndian(const std::uint16_t* in, unsigned char* out, int samples)
    {
        for (int i = 0; i < samples; ++i) {
            out[2 * i] = static_cast<unsigned char>(in[i] >> 8);
            out[2 * i + 1] = static_cast<unsigned char>(in[i]);
        }
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
    static void subtract(const unsigned char* __restrict row, const unsigned char* __restrict above,
                         unsigned char* __restrict out, std::size_t bytes)
    {
        for (std::size_t i = 0; i < bytes; ++i)
            out[i] = static_cast<unsigned char>(row[i] - above[i]);
    }

    std::unique_ptr<libdeflate_compressor, FreeCompressor> m_compressor;
    std::vector<unsigned char> m_rows;
    std::vector<unsigned char> m_current;  // the bytes of the row being filtered
    std::vector<unsigned char> m_above;    // and of the row above it
    std::vector<unsigned char> m_chunks;  // cICP and the facts' text chunks, whole
    AlignedBytes m_file;
};

}  // namespace

std::unique_ptr<FrameEncoder> makePngEncoder()
{
    return std::make_unique<PngEncoder>();
}

}  // namespace kadrel
