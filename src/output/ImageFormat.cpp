#include "output/ImageFormat.h"

#include <QFileInfo>

namespace kadrel {

const std::vector<ImageFormatInfo>& imageFormats()
{
    static const std::vector<ImageFormatInfo> formats{
        {ImageFormat::Bmp, QStringLiteral("bmp"), QStringLiteral(".bmp"),
         QStringLiteral("Bitmap Image (*.bmp)")},
        {ImageFormat::Png, QStringLiteral("png"), QStringLiteral(".png"),
         QStringLiteral("PNG Image (*.png)")},
        {ImageFormat::Jpeg, QStringLiteral("jpg"), QStringLiteral(".jpg"),
         QStringLiteral("JPEG Image (*.jpg)")},
        {ImageFormat::Webp, QStringLiteral("webp"), QStringLiteral(".webp"),
         QStringLiteral("WebP Image (*.webp)")},
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

int defaultQuality(ImageFormat format)
{
    switch (format) {
    case ImageFormat::Jpeg:
        return kDefaultJpegQuality;
    case ImageFormat::Webp:
        return kDefaultWebpQuality;
    case ImageFormat::Bmp:
    case ImageFormat::Png:
        break;
    }
    return 0;
}

}  // namespace kadrel
