#pragma once
// The image file types frames are saved as, and the encoder that turns the frame snapshot
// into the bytes of one such file.
//
// The snapshot is the packed bitmap of IBasicVideo::GetCurrentImage: a 40-byte info header,
// then bottom-up rows of B, G, R and a fourth byte, 4 x width bytes each. A bitmap file is the
// snapshot itself (encodeBitmap); the other types go through an ImageEncoder.

#include "common/Status.h"
#include "media/FrameFile.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kadrel {

enum class ImageFormat { Bmp, Png, Jpeg };

inline constexpr int kDefaultJpegQuality = 95;

struct ImageFormatInfo {
    ImageFormat format;
    QString name;         // "png": the extractor's --format value
    QString extension;    // ".png"
    QString description;  // "PNG Image (*.png)": the Output Type list and the Save dialog
};

// Bitmap first: the order of the Output Type list.
const std::vector<ImageFormatInfo>& imageFormats();
const ImageFormatInfo& imageFormatInfo(ImageFormat format);
// By the --format name ("bmp", "png", "jpg", also "jpeg").
std::optional<ImageFormat> imageFormatNamed(const QString& name);
// By the extension of a path (any case); Bitmap for any other extension.
ImageFormat imageFormatOfPath(const QString& path);
// "Bitmap Image (*.bmp)|*.bmp|PNG Image (*.png)|*.png|...|": a filter for FileDialog.
QString imageFileFilter();

// An encoder keeps what it reuses from picture to picture (codec, conversion), so each thread
// that encodes has one of its own.
class ImageEncoder {
public:
    virtual ~ImageEncoder() = default;
    // Encodes the snapshot in dib (size bytes) into the start of file; the file's length.
    virtual Result<std::size_t> encode(const unsigned char* dib, std::size_t size,
                                       AlignedBytes& file) = 0;
};

// Makes the encoder of a type other than Bitmap; quality (1..100) counts for JPEG only.
using ImageEncoderFactory =
    std::function<std::unique_ptr<ImageEncoder>(ImageFormat format, int quality)>;

// The encoding step of a type: the bitmap file's own for Bitmap, else a new encoder from
// encoders with memory of its own for the file. Fails when there is no encoder.
Result<FrameEncoder> frameEncoderFor(ImageFormat format, const ImageEncoderFactory& encoders,
                                     int quality = kDefaultJpegQuality);

}  // namespace kadrel
