#include "output/PngEncoder.h"

#include "media/MediaErrors.h"
#include "output/Snapshot.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <thread>
#include <vector>

namespace kadrel {

namespace {

// The top band: zlib, as it alone can end its part of the stream on a byte boundary without
// ending the stream (a sync flush). Level 1 with the "up" filter packs video frames about as
// small as the default level unfiltered.
constexpr int kZlibLevel = 1;
// The bottom band, which ends the stream: libdeflate, whose level 2 is faster than zlib's
// level 1 and packs smaller.
constexpr int kLibdeflateLevel = 2;
// libdeflate's share is the larger, so both bands finish together: the top band takes this
// many sixteenths of the rows.
constexpr int kTopSixteenths = 7;

struct FreeCompressor {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// One band of rows: "up"-filtered RGB rows, deflated as raw data.
class Band {
public:
    // Filters rows first..end-1 and deflates them; the last band ends the stream.
    bool compress(const Picture& p, int first, int end, bool last)
    {
        filterRows(p, first, end);
        adler = libdeflate_adler32(1, m_rows.data(), m_rows.size());
        return last ? deflateLast() : deflateOpen();
    }

    const unsigned char* packed() const { return m_packed.data(); }
    std::size_t packedLength = 0;
    std::size_t length() const { return m_rows.size(); }
    std::uint32_t adler = 1;

private:
    void filterRows(const Picture& p, int first, int end)
    {
        const std::size_t bytes = std::size_t{3} * p.width;
        m_rows.resize((1 + bytes) * (end - first));
        m_current.resize(bytes);
        m_above.assign(bytes, 0);
        if (first > 0)
            toRgb(p.row(first - 1), m_above.data(), p.width);
        unsigned char* out = m_rows.data();
        for (int y = first; y < end; ++y, out += 1 + bytes) {
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

    bool deflateOpen()
    {
        z_stream z{};
        if (deflateInit2(&z, kZlibLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return false;
        m_packed.resize(deflateBound(&z, static_cast<uLong>(m_rows.size())) + 16);
        z.next_in = m_rows.data();
        z.avail_in = static_cast<uInt>(m_rows.size());
        z.next_out = m_packed.data();
        z.avail_out = static_cast<uInt>(m_packed.size());
        const int result = ::deflate(&z, Z_SYNC_FLUSH);
        packedLength = m_packed.size() - z.avail_out;
        deflateEnd(&z);
        return result == Z_OK && z.avail_in == 0;
    }

    bool deflateLast()
    {
        if (!m_compressor)
            m_compressor.reset(libdeflate_alloc_compressor(kLibdeflateLevel));
        if (!m_compressor)
            return false;
        m_packed.resize(libdeflate_deflate_compress_bound(m_compressor.get(), m_rows.size()));
        packedLength = libdeflate_deflate_compress(m_compressor.get(), m_rows.data(),
                                                   m_rows.size(), m_packed.data(),
                                                   m_packed.size());
        return packedLength > 0;
    }

    std::vector<unsigned char> m_rows;
    std::vector<unsigned char> m_current;  // RGB of the row being filtered
    std::vector<unsigned char> m_above;    // and of the row above it
    std::vector<unsigned char> m_packed;
    std::unique_ptr<libdeflate_compressor, FreeCompressor> m_compressor;
};

void putBe32(unsigned char* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

// Writes a chunk of the pieces' bytes at out: length, type, data, CRC of type and data.
unsigned char* chunk(unsigned char* out, const char* type,
                     std::initializer_list<std::pair<const unsigned char*, std::size_t>> pieces)
{
    std::size_t length = 0;
    for (const auto& piece : pieces)
        length += piece.second;
    putBe32(out, static_cast<std::uint32_t>(length));
    std::memcpy(out + 4, type, 4);
    std::uint32_t crc = libdeflate_crc32(0, out + 4, 4);
    out += 8;
    for (const auto& [data, size] : pieces) {
        std::memcpy(out, data, size);
        crc = libdeflate_crc32(crc, out, size);
        out += size;
    }
    putBe32(out, crc);
    return out + 4;
}

// PNG: the top and bottom bands of the picture are filtered and deflated on threads of their
// own and joined into one stream, so a lone encoding thread still uses both cores.
class PngEncoder final : public FrameEncoder {
public:
    Result<FileImage> encode(FrameBuffer& frame) override
    {
        const Result<Picture> picture = readSnapshot(frame.dib(), frame.dibBytes());
        if (!picture)
            return picture.status();
        const Picture& p = picture.value();
        const int cut = p.height * kTopSixteenths / 16;
        bool bottomDone = false;
        std::thread bottom([&] { bottomDone = m_bands[1].compress(p, cut, p.height, true); });
        const bool topDone = m_bands[0].compress(p, 0, cut, false);
        bottom.join();
        if (!topDone || !bottomDone)
            return Status::failure(mediaerror::kEncoder,
                                   QStringLiteral("The image could not be encoded: deflate"));
        const std::size_t size = assemble(p);
        return FileImage{m_file.data(), size};
    }

private:
    // The whole file in m_file; its length.
    std::size_t assemble(const Picture& p)
    {
        const Band& top = m_bands[0];
        const Band& bottom = m_bands[1];
        const std::size_t packed = top.packedLength + bottom.packedLength;
        m_file.reserve(8 + (12 + 13) + (12 + 2 + packed + 4) + 12);
        unsigned char* out = m_file.data();
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
            adler32_combine(top.adler, bottom.adler, static_cast<z_off_t>(bottom.length()));
        const unsigned char zlibHeader[2] = {0x78, 0x01};
        unsigned char zlibTrailer[4] = {};
        putBe32(zlibTrailer, static_cast<std::uint32_t>(adler));
        out = chunk(out, "IDAT",
                    {{zlibHeader, 2},
                     {top.packed(), top.packedLength},
                     {bottom.packed(), bottom.packedLength},
                     {zlibTrailer, 4}});
        out = chunk(out, "IEND", {});
        return static_cast<std::size_t>(out - m_file.data());
    }

    std::array<Band, 2> m_bands;
    AlignedBytes m_file;
};

}  // namespace

std::unique_ptr<FrameEncoder> makePngEncoder()
{
    return std::make_unique<PngEncoder>();
}

}  // namespace kadrel
