#pragma once
// The PNG and JPEG encoders. Each encodes one picture on both cores.
//
// PNG (zlib): 8-bit RGB, the snapshot's pixels unchanged; deflate at level 1 with the "up"
// filter, which on video frames compresses about as well as the ffmpeg tool's default in a
// third of its time.
// JPEG (FFmpeg's mjpeg, two slices): baseline, full-range BT.601 (JFIF), colour at full resolution from quality 90 up and
// 4:2:0 below; the quantisation tables of the usual 1..100 quality scale (the IJG tables), so
// quality 95 means what it means elsewhere.

#include "media/ImageFormat.h"

namespace kadrel {

// Null for Bitmap, which is no encoded type.
std::unique_ptr<ImageEncoder> makeFfmpegImageEncoder(ImageFormat format, int quality);

}  // namespace kadrel
