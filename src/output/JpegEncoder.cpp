#include "output/JpegEncoder.h"

#include "media/MediaErrors.h"
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
        const Result<Picture> picture = readSnapshot(frame.dib(), frame.dibBytes());
        if (!picture)
            return picture.status();
        const Picture& p = picture.value();
        m_rows.resize(static_cast<std::size_t>(p.height));
        for (int y = 0; y < p.height; ++y)
            m_rows[static_cast<std::size_t>(y)] = const_cast<JSAMPROW>(p.row(y));
        unsigned char* out = m_memory;
        unsigned long size = m_capacity;
        m_exif = facts.any() ? exifBlock(facts) : QByteArray();
        if (!compress(p.width, &out, &size))
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
    // The picture's rows in m_rows as a JPEG file in *out (libjpeg's memory destination grows
    // it with malloc when it is too small).
    bool compress(int width, unsigned char** out, unsigned long* size)
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
        info.image_height = static_cast<JDIMENSION>(m_rows.size());
        info.input_components = 4;
        info.in_color_space = JCS_EXT_BGRX;  // converted by libjpeg-turbo's own vector code
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, m_quality, TRUE);
        if (m_fullChroma)
            info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
        jpeg_start_compress(&info, TRUE);
        if (!m_exif.isEmpty())
            jpeg_write_marker(&info, JPEG_APP0 + 1,
                              reinterpret_cast<const JOCTET*>(m_exif.constData()),
                              static_cast<unsigned int>(m_exif.size()));
        while (info.next_scanline < info.image_height)
            jpeg_write_scanlines(&info, m_rows.data() + info.next_scanline,
                                 info.image_height - info.next_scanline);
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        return true;
    }

    int m_quality;
    bool m_fullChroma;
    ErrorExit m_error{};
    QByteArray m_exif;  // the frame's APP1 segment, if it has facts
    std::vector<JSAMPROW> m_rows;  // into the snapshot: no copy of the pixels
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
