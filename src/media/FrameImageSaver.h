#pragma once
// Saves the frame on show as an image file of any type: Bitmap through SaveFrameBitmap, the
// others as the snapshot encoded by an ImageEncoder. Encoders and buffers are kept between
// calls, since a bulk run saves thousands of frames of one size and type.

#include "media/ImageFormat.h"

#include <QString>

#include <memory>
#include <vector>

namespace kadrel {

class ActiveMovieControl;

class FrameImageSaver {
public:
    explicit FrameImageSaver(ImageEncoderFactory encoders);

    // A file that could not be written whole is removed again; a Bitmap file follows
    // SaveFrameBitmap's rules instead.
    Status save(ActiveMovieControl& control, const QString& path, ImageFormat format,
                int quality = kDefaultJpegQuality);

private:
    Status snapshot(ActiveMovieControl& control);
    ImageEncoder* encoder(ImageFormat format, int quality);

    ImageEncoderFactory m_encoders;
    std::unique_ptr<ImageEncoder> m_encoder;
    ImageFormat m_format = ImageFormat::Bmp;
    int m_quality = 0;
    std::vector<unsigned char> m_dib;
    std::vector<unsigned char> m_file;
};

// Writes bytes as the whole file at path; on failure nothing of it is left there.
Status writeWholeFile(const QString& path, const std::vector<unsigned char>& bytes);

}  // namespace kadrel
