#include "output/JpegEncoder.h"

#include "media/MediaErrors.h"
#include "output/Snapshot.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <jpeglib.h>

namespace kadrel {

namespace {

// From this quality up the colour is kept at full resolution (4:4:4): halving it costs sharp
// coloured edges more than the quantisation at such a quality does.
constexpr int kFullChromaQuality = 90;
// The restart markers count RST0..RST7, then start again.
constexpr int kMarkerCycle = 8;
constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kFirstRestart = 0xD0;
constexpr unsigned char kStartOfFrame = 0xC0;  // baseline
constexpr unsigned char kStartOfScan = 0xDA;
constexpr unsigned char kEndOfImage = 0xD9;

struct ErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's own error exit ends the process; this one returns to the band's compress().
[[noreturn]] void leaveBand(j_common_ptr info)
{
    auto* error = reinterpret_cast<ErrorExit*>(info->err);
    info->err->format_message(info, error->message);
    std::longjmp(error->jump, 1);
}

struct Settings {
    int quality = 0;
    bool fullChroma = false;
    int blockRows() const { return fullChroma ? 8 : 16; }  // picture rows per row of blocks
};

// One band of the picture compressed as a JPEG file of its own, in memory kept from picture
// to picture (libjpeg's memory destination grows it with malloc when it is too small).
class Band {
public:
    Band() = default;
    Band(const Band&) = delete;
    Band& operator=(const Band&) = delete;
    ~Band() { std::free(m_memory); }

    bool compress(const Picture& p, int first, int end, const Settings& settings)
    {
        m_rows.resize(static_cast<std::size_t>(end - first));
        for (int y = first; y < end; ++y)
            m_rows[static_cast<std::size_t>(y - first)] = const_cast<JSAMPROW>(p.row(y));
        unsigned char* out = m_memory;
        unsigned long size = m_capacity;
        if (!run(p.width, settings, &out, &size))
            return false;
        if (out != m_memory) {  // grown: libjpeg's malloc'ed memory is ours now
            std::free(m_memory);
            m_memory = out;
            m_capacity = size;
        }
        m_size = size;
        return true;
    }

    const unsigned char* data() const { return m_memory; }
    std::size_t size() const { return m_size; }
    const char* message() const { return m_error.message; }

private:
    bool run(int width, const Settings& settings, unsigned char** out, unsigned long* size)
    {
        jpeg_compress_struct info{};
        info.err = jpeg_std_error(&m_error.manager);
        m_error.manager.error_exit = leaveBand;
        if (setjmp(m_error.jump)) {
            jpeg_destroy_compress(&info);
            return false;
        }
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, out, size);
        info.image_width = static_cast<JDIMENSION>(width);
        info.image_height = static_cast<JDIMENSION>(m_rows.size());
        info.input_components = 4;
        info.in_color_space = JCS_EXT_BGRX;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, settings.quality, TRUE);
        if (settings.fullChroma)
            info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
        info.restart_in_rows = 1;
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height)
            jpeg_write_scanlines(&info, m_rows.data() + info.next_scanline,
                                 info.image_height - info.next_scanline);
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        return true;
    }

    ErrorExit m_error{};
    std::vector<JSAMPROW> m_rows;
    unsigned char* m_memory = nullptr;
    unsigned long m_capacity = 0;
    std::size_t m_size = 0;
};

// Where a file libjpeg wrote has its frame header and its coded data (just after the scan
// header); zeros when it is not laid out that way.
struct Layout {
    std::size_t frameHeader = 0;
    std::size_t scanData = 0;
};

Layout layoutOf(const unsigned char* f, std::size_t size)
{
    Layout layout;
    std::size_t at = 2;  // after the start of image
    while (at + 4 <= size && f[at] == kMarker) {
        const std::size_t length = std::size_t{f[at + 2]} << 8 | f[at + 3];
        if (f[at + 1] == kStartOfFrame)
            layout.frameHeader = at;
        if (f[at + 1] == kStartOfScan) {
            layout.scanData = at + 2 + length;
            break;
        }
        at += 2 + length;
    }
    const bool ends = size >= 2 && f[size - 2] == kMarker && f[size - 1] == kEndOfImage;
    if (!ends || layout.scanData >= size || layout.frameHeader == 0)
        return {};
    return layout;
}

Status encoderFailure(const QString& reason)
{
    return Status::failure(mediaerror::kEncoder,
                           QStringLiteral("The image could not be encoded: %1").arg(reason));
}

class JpegEncoder final : public FrameEncoder {
public:
    explicit JpegEncoder(int quality)
        : m_settings{std::clamp(quality, 1, 100), quality >= kFullChromaQuality}
    {
    }

    Result<FileImage> encode(FrameBuffer& frame) override
    {
        const Result<Picture> picture = readSnapshot(frame.dib(), frame.dibBytes());
        if (!picture)
            return picture.status();
        const Picture& p = picture.value();
        const int cut = bandCut(p.height);
        if (cut == 0) {
            if (!m_bands[0].compress(p, 0, p.height, m_settings))
                return encoderFailure(QString::fromLatin1(m_bands[0].message()));
            const std::size_t size = copyInto({{m_bands[0].data(), m_bands[0].size()}});
            return FileImage{m_file.data(), size};
        }
        bool bottomDone = false;
        std::thread bottom([&] { bottomDone = m_bands[1].compress(p, cut, p.height, m_settings); });
        const bool topDone = m_bands[0].compress(p, 0, cut, m_settings);
        bottom.join();
        for (const auto& [done, band] : {std::pair{topDone, &m_bands[0]}, {bottomDone, &m_bands[1]}})
            if (!done)
                return encoderFailure(QString::fromLatin1(band->message()));
        return join(p.height, cut);
    }

private:
    // The first row of the second band: near the middle, after a whole number of marker
    // cycles; 0 when the picture is too short to cut.
    int bandCut(int height) const
    {
        const int unit = kMarkerCycle * m_settings.blockRows();
        const int cut = (height / 2 + unit / 2) / unit * unit;
        return cut < height ? cut : 0;
    }

    // The top band without its end, the restart marker that ends its last row of blocks, and
    // the bottom band's coded data with its end; the frame header states the whole height.
    Result<FileImage> join(int height, int cut)
    {
        const Band& top = m_bands[0];
        const Band& bottom = m_bands[1];
        const Layout topLayout = layoutOf(top.data(), top.size());
        const Layout bottomLayout = layoutOf(bottom.data(), bottom.size());
        if (topLayout.scanData == 0 || bottomLayout.scanData == 0)
            return encoderFailure(QStringLiteral("unexpected layout of a band"));
        const int lastMarker = (cut / m_settings.blockRows() - 1) % kMarkerCycle;
        const unsigned char restart[2] = {kMarker,
                                          static_cast<unsigned char>(kFirstRestart + lastMarker)};
        const std::size_t size = copyInto(
            {{top.data(), top.size() - 2},
                   {restart, sizeof restart},
                   {bottom.data() + bottomLayout.scanData, bottom.size() - bottomLayout.scanData}});
        unsigned char* heightField = m_file.data() + topLayout.frameHeader + 5;
        heightField[0] = static_cast<unsigned char>(height >> 8);
        heightField[1] = static_cast<unsigned char>(height & 0xFF);
        return FileImage{m_file.data(), size};
    }

    // The pieces one after another in m_file; their length.
    std::size_t copyInto(std::initializer_list<std::pair<const unsigned char*, std::size_t>> pieces)
    {
        std::size_t size = 0;
        for (const auto& piece : pieces)
            size += piece.second;
        m_file.reserve(size);
        unsigned char* out = m_file.data();
        for (const auto& [data, length] : pieces) {
            std::memcpy(out, data, length);
            out += length;
        }
        return size;
    }

    Settings m_settings;
    std::array<Band, 2> m_bands;
    AlignedBytes m_file;
};

}  // namespace

std::unique_ptr<FrameEncoder> makeJpegEncoder(int quality)
{
    return std::make_unique<JpegEncoder>(quality);
}

}  // namespace kadrel
