#pragma once
// The PNG and JPEG encoders. Each encodes one picture on both cores.
//
// PNG (zlib): 8-bit RGB, the snapshot's pixels unchanged; deflate at level 1 with the "up"
// filter, which on video frames compresses about as well as the ffmpeg tool's default in a
// third of its time.
// JPEG: libjpeg-turbo, two bands joined into one file (media/ffmpeg/JpegEncoder.h).

#include "media/ImageFormat.h"

namespace kadrel {

// Null for Bitmap, which is no encoded type.
std::unique_ptr<ImageEncoder> makeFfmpegImageEncoder(ImageFormat format, int quality);

}  // namespace kadrel
