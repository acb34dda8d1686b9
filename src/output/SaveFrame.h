#pragma once
// The frame on show in the media session, into a buffer or a file of its own: the one-frame
// save of the Capture command, and the snapshot step of a bulk run.

#include "common/Status.h"
#include "output/FrameBuffer.h"
#include "output/FrameFacts.h"
#include "output/ImageFormat.h"

#include <QString>

#include <optional>

namespace kadrel {

class ActiveMovieControl;

// The frame on show in frame: a packed DIB, at depth 16 a 16-bit picture, or, for a type that
// stores YCbCr as the picture holds it (JPEG of a 4:2:0 picture), the picture's shared planes.
Status takeSnapshot(ActiveMovieControl& movie, FrameBuffer& frame,
                    ImageFormat format = ImageFormat::Bmp, int depth = 8);

// The depth a file of format is written at when pngDepth (8 or 16) is asked for: PNG alone
// takes 16 bits a channel.
int snapshotDepth(ImageFormat format, int pngDepth);

// Writes the frame on show as a file of the given type at path (truncating an existing file)
// and returns when it is written; a failure leaves no file at path. Without media it writes
// nothing and succeeds. The file carries facts when there are any; a PNG file has pngDepth
// bits a channel.
Status saveFrame(ActiveMovieControl& movie, const QString& path,
                 ImageFormat format = ImageFormat::Bmp,
                 std::optional<int> quality = std::nullopt, const FrameFacts& facts = {},
                 int pngDepth = 8);

}  // namespace kadrel
