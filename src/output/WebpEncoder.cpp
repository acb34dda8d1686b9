#include "output/WebpEncoder.h"

#include "media/MediaErrors.h"
#include "output/Snapshot.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace kadrel {

namespace {

constexpr int kLossless = 100;
// libwebp's lossless effort (0..9): level 1 takes a fraction of the default's time for files
// a little larger; they are still smaller than PNG's.
constexpr int kLosslessLevel = 1;
// libwebp's default effort for lossy files, as the ffmpeg tool's libwebp encoder uses.
constexpr int kLossyMethod = 4;

Status encoderFailure(const char* reason)
{
    return Status::failure(mediaerror::kEncoder,
                           QStringLiteral("The image could not be encoded: WebP %1")
                               .arg(QString::fromLatin1(reason)));
}

struct MuxDelete {
    void operator()(WebPMux* mux) const { WebPMuxDelete(mux); }
};

// The encoded file with an EXIF chunk of the facts, in place of the plain one.
Result<WebPData> withExif(const WebPMemoryWriter& plain, const FrameFacts& facts)
{
    // A WebP EXIF chunk holds the TIFF data alone, without the "Exif\0\0" of JPEG's APP1.
    const QByteArray exif = exifBlock(facts).mid(6);
    const WebPData image{plain.mem, plain.size};
    const WebPData chunk{reinterpret_cast<const uint8_t*>(exif.constData()),
                         static_cast<std::size_t>(exif.size())};
    const std::unique_ptr<WebPMux, MuxDelete> mux(WebPMuxCreate(&image, 0));
    WebPData file{};
    if (!mux || exif.isEmpty() || WebPMuxSetChunk(mux.get(), "EXIF", &chunk, 1) != WEBP_MUX_OK
        || WebPMuxAssemble(mux.get(), &file) != WEBP_MUX_OK)
        return encoderFailure("metadata");
    return file;
}

// libwebp's picture, freed after each frame.
struct WebpPicture {
    WebpPicture() : ready(WebPPictureInit(&picture) != 0) {}
    ~WebpPicture() { WebPPictureFree(&picture); }
    WebpPicture(const WebpPicture&) = delete;
    WebpPicture& operator=(const WebpPicture&) = delete;
    WebPPicture picture{};
    bool ready;
};

class WebpEncoder final : public FrameEncoder {
public:
    explicit WebpEncoder(int quality) : m_quality(std::clamp(quality, 1, kLossless))
    {
        WebPMemoryWriterInit(&m_writer);
    }
    ~WebpEncoder() override { WebPMemoryWriterClear(&m_writer); }
    WebpEncoder(const WebpEncoder&) = delete;
    WebpEncoder& operator=(const WebpEncoder&) = delete;

    Result<FileImage> encode(FrameBuffer& frame, const FrameFacts& facts) override
    {
        const Result<Picture> picture = readSnapshot(frame.dib(), frame.dibBytes());
        if (!picture)
            return picture.status();
        const Picture& p = picture.value();
        WebPConfig config;
        if (!configure(config))
            return encoderFailure("settings");
        WebpPicture webp;
        if (!webp.ready)
            return encoderFailure("library");
        webp.picture.use_argb = config.lossless;
        webp.picture.width = p.width;
        webp.picture.height = p.height;
        if (!WebPPictureImportBGRX(&webp.picture, p.top, static_cast<int>(p.step)))
            return encoderFailure("memory");
        m_writer.size = 0;  // its memory is kept for the next frame
        webp.picture.writer = WebPMemoryWrite;
        webp.picture.custom_ptr = &m_writer;
        if (!WebPEncode(&config, &webp.picture))
            return encoderFailure("encoder");
        if (!facts.any())
            return keep(m_writer.mem, m_writer.size);
        const Result<WebPData> file = withExif(m_writer, facts);
        if (!file)
            return file.status();
        WebPData assembled = file.value();
        const FileImage kept = keep(assembled.bytes, assembled.size);
        WebPDataClear(&assembled);
        return kept;
    }

private:
    // The file's bytes copied to memory aligned for direct I/O, as the file writer may use it.
    FileImage keep(const uint8_t* bytes, std::size_t size)
    {
        m_file.reserve(size);
        std::memcpy(m_file.data(), bytes, size);
        return FileImage{m_file.data(), size};
    }

    bool configure(WebPConfig& config) const
    {
        if (!WebPConfigInit(&config))
            return false;
        if (m_quality == kLossless) {
            if (!WebPConfigLosslessPreset(&config, kLosslessLevel))
                return false;
        } else {
            config.quality = static_cast<float>(m_quality);
            config.method = kLossyMethod;
        }
        config.thread_level = 1;
        return WebPValidateConfig(&config) != 0;
    }

    int m_quality;
    WebPMemoryWriter m_writer;
    AlignedBytes m_file;
};

}  // namespace

std::unique_ptr<FrameEncoder> makeWebpEncoder(int quality)
{
    return std::make_unique<WebpEncoder>(quality);
}

}  // namespace kadrel
