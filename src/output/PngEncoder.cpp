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

// Each row "up"-filtered (its R, G, B minus those of the row above), then the whole picture
// deflated as one zlib stream straight into the file's IDAT chunk.
class PngEncoder final : public FrameEncoder {
public:
    Result<FileImage> encode(FrameBuffer& frame, const FrameFacts& facts) override
    {
        const Result<Picture> picture = readSnapshot(frame.dib(), frame.dibBytes());
        if (!picture)
            return picture.status();
        const Picture& p = picture.value();
        if (!m_compressor)
            m_compressor.reset(libdeflate_alloc_compressor(kPngCompression));
        if (!m_compressor)
            return failure();
        filterRows(p);
        m_texts.clear();
        if (facts.any())
            for (const auto& [keyword, text] : factTexts(facts))
                appendTextChunk(m_texts, keyword, text);
        const std::size_t bound = libdeflate_zlib_compress_bound(m_compressor.get(), m_rows.size());
        m_file.reserve(sizeof kSignature + 3 * kChunkFrame + kHeaderBytes + m_texts.size() + bound);
        unsigned char* out = std::copy(std::begin(kSignature), std::end(kSignature), m_file.data());

        unsigned char* header = openChunk(out, "IHDR");
        putBe32(header, static_cast<std::uint32_t>(p.width));
        putBe32(header + 4, static_cast<std::uint32_t>(p.height));
        const unsigned char depthAndType[5] = {8, 2, 0, 0, 0};  // 8-bit RGB, no interlace
        std::memcpy(header + 8, depthAndType, sizeof depthAndType);
        out = sealChunk(out, kHeaderBytes);
        out = std::copy(m_texts.begin(), m_texts.end(), out);

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
    static Status failure()
    {
        return Status::failure(mediaerror::kEncoder,
                               QStringLiteral("The image could not be encoded: deflate"));
    }

    void filterRows(const Picture& p)
    {
        const std::size_t bytes = std::size_t{3} * p.width;
        m_rows.resize((1 + bytes) * p.height);
        m_current.resize(bytes);
        m_above.assign(bytes, 0);
        unsigned char* out = m_rows.data();
        for (int y = 0; y < p.height; ++y, out += 1 + bytes) {
            toRgb(p.row(y), m_current.data(), p.width);
            *out = 2;  // the "up" filter
            subtract(m_current.data(), m_above.data(), out + 1, bytes);
            std::swap(m_current, m_above);
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
    std::vector<unsigned char> m_current;  // RGB of the row being filtered
    std::vector<unsigned char> m_above;    // and of the row above it
    std::vector<unsigned char> m_texts;  // the facts' text chunks, whole
    AlignedBytes m_file;
};

}  // namespace

std::unique_ptr<FrameEncoder> makePngEncoder()
{
    return std::make_unique<PngEncoder>();
}

}  // namespace kadrel
