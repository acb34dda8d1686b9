#include "media/ImageFormat.h"

#include <QFileInfo>

namespace kadrel {

namespace {

// Error number of an output type no encoder exists for.
constexpr int kUnknownTypeError = 1101;

}  // namespace

const std::vector<ImageFormatInfo>& imageFormats()
{
    static const std::vector<ImageFormatInfo> formats{
        {ImageFormat::Bmp, QStringLiteral("bmp"), QStringLiteral(".bmp"),
         QStringLiteral("Bitmap Image (*.bmp)")},
        {ImageFormat::Png, QStringLiteral("png"), QStringLiteral(".png"),
         QStringLiteral("PNG Image (*.png)")},
        {ImageFormat::Jpeg, QStringLiteral("jpg"), QStringLiteral(".jpg"),
         QStringLiteral("JPEG Image (*.jpg)")},
    };
    return formats;
}

const ImageFormatInfo& imageFormatInfo(ImageFormat format)
{
    return imageFormats()[static_cast<std::size_t>(format)];
}

std::optional<ImageFormat> imageFormatNamed(const QString& name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("jpeg"))
        return ImageFormat::Jpeg;
    for (const ImageFormatInfo& info : imageFormats())
        if (info.name == lower)
            return info.format;
    return std::nullopt;
}

ImageFormat imageFormatOfPath(const QString& path)
{
    return imageFormatNamed(QFileInfo(path).suffix()).value_or(ImageFormat::Bmp);
}

QString imageFileFilter()
{
    QString filter;
    for (const ImageFormatInfo& info : imageFormats())
        filter += info.description + QLatin1Char('|') + QLatin1Char('*') + info.extension
                  + QLatin1Char('|');
    return filter;
}

Result<FrameEncoder> frameEncoderFor(ImageFormat format, const ImageEncoderFactory& encoders,
                                     int quality)
{
    if (format == ImageFormat::Bmp)
        return FrameEncoder(encodeBitmap);
    // The encoder and the memory of its file, shared by the copies of the step.
    struct Step {
        std::unique_ptr<ImageEncoder> encoder;
        AlignedBytes file;
    };
    auto step = std::make_shared<Step>();
    step->encoder = encoders ? encoders(format, quality) : nullptr;
    if (!step->encoder)
        return Status::failure(kUnknownTypeError,
                               QStringLiteral("Files of type %1 cannot be written")
                                   .arg(imageFormatInfo(format).description));
    return FrameEncoder([step](FrameBuffer& frame) -> Result<FileImage> {
        const Result<std::size_t> size =
            step->encoder->encode(frame.dib(), frame.dibBytes(), step->file);
        if (!size)
            return size.status();
        return FileImage{step->file.data(), size.value()};
    });
}

}  // namespace kadrel
