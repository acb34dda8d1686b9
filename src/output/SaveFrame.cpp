#include "output/SaveFrame.h"

#include "media/ActiveMovieControl.h"
#include "output/FrameEncoder.h"
#include "output/FrameFile.h"

namespace kadrel {

Status takeSnapshot(ActiveMovieControl& movie, FrameBuffer& frame, ImageFormat format, int depth)
{
    if (format == ImageFormat::Jpeg && movie.GetCurrentPlanes(frame.planes()))
        return {};
    return movie.GetCurrentImage(
        [&frame, depth](std::size_t bytes) {
            frame.reserveDib(bytes, depth);
            return frame.dib();
        },
        depth);
}

int snapshotDepth(ImageFormat format, int pngDepth)
{
    return format == ImageFormat::Png ? pngDepth : 8;
}

Status saveFrame(ActiveMovieControl& movie, const QString& path, ImageFormat format,
                 std::optional<int> quality, const FrameFacts& facts, int pngDepth)
{
    if (!movie.session().graphManager)
        return {};
    // Kept from one save to the next: a 1080p frame's memory is not set up afresh each time.
    thread_local FrameBuffer frame;
    if (Status s = takeSnapshot(movie, frame, format, snapshotDepth(format, pngDepth)); !s)
        return s;
    const std::unique_ptr<FrameEncoder> encoder = makeFrameEncoder(format, quality);
    const Result<FileImage> image = encoder->encode(frame, facts);
    return image ? writeFrameFile(path, image.value()) : image.status();
}

}  // namespace kadrel
