#include "output/PngEncoder.h"

#include "media/MediaErrors.h"
#include "output/Snapshot.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <thread>

namespace kadrel {

namespace {

// Deflate level of PNG files: lossless at any level, and level 1 is several times faster than
// the default; with the "up" filter its files are about as small as the default's unfiltered.
constexpr int kPngCompression = 1;

// PNG written here with zlib: each half of the picture is filtered and deflated on a thread of
// its own, and the two deflate streams are joined into one (the first ends on a byte boundary
// with a sync flush), so a lone encoding thread still uses both cores.
class PngEncoder final : public FrameEncoder {
public:
    Result<FileImage> encode(FrameBuffer& frame) override
    {
        const Result<Picture> picture = readSnapshot(frame.dib(), frame.dibBytes());
        if (!picture)
            return picture.status();
        const Picture& p = picture.value();
        const int middle = p.height / 2;
        std::thread second([&] { m_parts[1].compress(p, middle, p.height, true); });
        m_parts[0].compress(p, 0, middle, false);
        second.join();
        for (const Part& part : m_parts)
            if (!part.ok)
                return Status::failure(mediaerror::kEncoder,
                                       QStringLiteral("The image could not be encoded: zlib"));
        const std::size_t size = assemble(p);
        return FileImage{m_file.data(), size};
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

    // The whole file in m_file; its length.
    std::size_t assemble(const Picture& p)
    {
        const std::size_t packed = m_parts[0].packedLength + m_parts[1].packedLength;
        const std::size_t total = 8 + (12 + 13) + (12 + 2 + packed + 4) + 12;
        m_file.reserve(total);
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
        return static_cast<std::size_t>(out - m_file.data());
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
    AlignedBytes m_file;
};

}  // namespace

std::unique_ptr<FrameEncoder> makePngEncoder()
{
    return std::make_unique<PngEncoder>();
}

}  // namespace kadrel
