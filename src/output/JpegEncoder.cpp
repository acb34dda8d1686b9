#include "output/JpegEncoder.h"

#include "media/MediaErrors.h"
#include "output/JfifBands.h"
#include "output/Snapshot.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace kadrel {

namespace {

// From this quality up the colour is kept at full resolution (4:4:4): halving it costs sharp
// coloured edges more than the quantisation at such a quality does.
constexpr int kFullChromaQuality = 90;

struct ErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's own error exit ends the process; this one returns to compress().
[[noreturn]] void leaveCompression(j_common_ptr info)
{
    auto* error = reinterpret_cast<ErrorExit*>(info->err);
    info->err->format_message(info, error->message);
    std::longjmp(error->jump, 1);
}

class JpegEncoder final : public FrameEncoder {
public:
    explicit JpegEncoder(int quality)
        : m_quality(std::clamp(quality, 1, 100)), m_fullChroma(quality >= kFullChromaQuality)
    {
    }
    ~JpegEncoder() override { std::free(m_memory); }
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    Result<FileImage> encode(FrameBuffer& frame, const FrameFacts& facts) override
    {
        m_exif = facts.any() ? exifBlock(facts) : QByteArray();
        unsigned char* out = m_memory;
        unsigned long size = m_capacity;
        bool done = false;
        if (const YuvPlanes& planes = frame.planes(); planes.picture) {
            m_bands.start(planes);
            done = compress(planes.width, planes.height, Source::Planes, &out, &size);
        } else {
            const Result<Picture> picture = readSnapshot(frame.dib(), frame.dibBytes());
            if (!picture)
                return picture.status();
            const Picture& p = picture.value();
            m_rows.resize(static_cast<std::size_t>(p.height));
            for (int y = 0; y < p.height; ++y)
                m_rows[static_cast<std::size_t>(y)] = const_cast<JSAMPROW>(p.row(y));
            done = compress(p.width, p.height, Source::Bitmap, &out, &size);
        }
        if (!done)
            return Status::failure(mediaerror::kEncoder,
                                   QStringLiteral("The image could not be encoded: %1")
                                       .arg(QString::fromLatin1(m_error.message)));
        if (out != m_memory) {  // grown: libjpeg's malloc'ed memory is ours now
            std::free(m_memory);
            m_memory = out;
            m_capacity = size;
        }
        // Memory aligned for direct I/O, as the file writer may use it.
        m_file.reserve(size);
        std::memcpy(m_file.data(), m_memory, size);
        return FileImage{m_file.data(), size};
    }

private:
    enum class Source {
        Bitmap,  // the rows of the DIB, in m_rows
        Planes,  // a 4:2:0 picture's planes, through m_bands
    };

    // The picture as a JPEG file in *out (libjpeg's memory destination grows it with malloc
    // when it is too small).
    bool compress(int width, int height, Source source, unsigned char** out, unsigned long* size)
    {
        jpeg_compress_struct info{};
        info.err = jpeg_std_error(&m_error.manager);
        m_error.manager.error_exit = leaveCompression;
        if (setjmp(m_error.jump)) {
            jpeg_destroy_compress(&info);
            return false;
        }
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, out, size);
        info.image_width = static_cast<JDIMENSION>(width);
        info.image_height = static_cast<JDIMENSION>(height);
        if (source == Source::Planes)
            startPlanes(info);
        else
            startBitmap(info);
        if (!m_exif.isEmpty())
            jpeg_write_marker(&info, JPEG_APP0 + 1,
                              reinterpret_cast<const JOCTET*>(m_exif.constData()),
                              static_cast<unsigned int>(m_exif.size()));
        if (source == Source::Planes)
            writePlanes(info);
        else
            writeBitmap(info);
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        return true;
    }

    void startBitmap(jpeg_compress_struct& info)
    {
        info.input_components = 4;
        info.in_color_space = JCS_EXT_BGRX;  // converted by libjpeg-turbo's own vector code
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, m_quality, TRUE);
        if (m_fullChroma)
            info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
        jpeg_start_compress(&info, TRUE);
    }

    void writeBitmap(jpeg_compress_struct& info)
    {
        while (info.next_scanline < info.image_height)
            jpeg_write_scanlines(&info, m_rows.data() + info.next_scanline,
                                 info.image_height - info.next_scanline);
    }

    // A 4:2:0 picture keeps its own chroma resolution at every quality: stored 4:4:4, its
    // chroma would only be stretched, at twice the work and a third more bytes.
    void startPlanes(jpeg_compress_struct& info)
    {
        info.input_components = 3;
        info.in_color_space = JCS_YCbCr;
        jpeg_set_defaults(&info);  // 2 x 2 luma blocks to each chroma block
        jpeg_set_quality(&info, m_quality, TRUE);
        info.raw_data_in = TRUE;
        jpeg_start_compress(&info, TRUE);
    }

    void writePlanes(jpeg_compress_struct& info)
    {
        JSAMPARRAY bands[3] = {m_bands.rows(0), m_bands.rows(1), m_bands.rows(2)};
        while (info.next_scanline < info.image_height) {
            m_bands.convert(static_cast<int>(info.next_scanline));
            jpeg_write_raw_data(&info, bands, JfifBands::kLumaRows);
        }
    }

    int m_quality;
    bool m_fullChroma;
    ErrorExit m_error{};
    QByteArray m_exif;  // the frame's APP1 segment, if it has facts
    std::vector<JSAMPROW> m_rows;  // into the snapshot: no copy of the pixels
    JfifBands m_bands;
    unsigned char* m_memory = nullptr;
    unsigned long m_capacity = 0;
    AlignedBytes m_file;
};

}  // namespace

std::unique_ptr<FrameEncoder> makeJpegEncoder(int quality)
{
    return std::make_unique<JpegEncoder>(quality);
}

}  // namespace kadrel
