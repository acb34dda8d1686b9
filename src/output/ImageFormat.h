#pragma once
// The image file types frames are saved as: their names, extensions and descriptions.

#include <QString>

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

}  // namespace kadrel
