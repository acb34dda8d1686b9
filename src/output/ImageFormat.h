#pragma once
// The image file types frames are saved as: their names, extensions and descriptions.

#include <QString>

#include <optional>
#include <vector>

namespace kadrel {

enum class ImageFormat { Bmp, Png, Jpeg, Webp };

// Quality, 1..100, counts for JPEG and WebP (100: lossless WebP).
inline constexpr int kDefaultJpegQuality = 95;
inline constexpr int kDefaultWebpQuality = 90;

struct ImageFormatInfo {
    ImageFormat format;
    QString name;         // "png": the extractor's --format value
    QString extension;    // ".png"
    QString description;  // "PNG Image (*.png)": the Output Type list and the Save dialog
};

// Bitmap first, WebP last: the order of the Output Type list.
const std::vector<ImageFormatInfo>& imageFormats();
const ImageFormatInfo& imageFormatInfo(ImageFormat format);
// By the --format name ("bmp", "png", "jpg", "webp", also "jpeg").
std::optional<ImageFormat> imageFormatNamed(const QString& name);
// By the extension of a path (any case); Bitmap for any other extension.
ImageFormat imageFormatOfPath(const QString& path);
// "Bitmap Image (*.bmp)|*.bmp|PNG Image (*.png)|*.png|...|": a filter for FileDialog.
QString imageFileFilter();
// The quality a type is saved at unless one is given: JPEG 95, WebP 90 (lossy), else 0.
int defaultQuality(ImageFormat format);

}  // namespace kadrel
