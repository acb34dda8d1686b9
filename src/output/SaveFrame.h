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

// The frame on show as a packed DIB in frame, or, for a type that stores YCbCr as the picture
// holds it (JPEG of a 4:2:0 picture), as the picture's shared planes.
Status takeSnapshot(ActiveMovieControl& movie, FrameBuffer& frame,
                    ImageFormat format = ImageFormat::Bmp);

// Writes the frame on show as a file of the given type at path (truncating an existing file)
// and returns when it is written; a failure leaves no file at path. Without media it writes
// nothing and succeeds. The file carries facts when there are any.
Status saveFrame(ActiveMovieControl& movie, const QString& path,
                 ImageFormat format = ImageFormat::Bmp,
                 std::optional<int> quality = std::nullopt, const FrameFacts& facts = {});

}  // namespace kadrel
