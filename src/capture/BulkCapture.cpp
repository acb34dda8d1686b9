#include "capture/BulkCapture.h"

#include "media/ActiveMovieControl.h"
#include "output/FrameEncoder.h"
#include "output/FrameFileWriter.h"
#include "output/SaveFrame.h"

#include <utility>

namespace kadrel {

namespace {

// Takes the frame on show into a buffer of the writer and hands it over to be written at
// path: the failure of this frame's snapshot, or of an earlier file.
FileStatus handOver(ActiveMovieControl& movie, FrameFileWriter& writer, const QString& path,
                    FrameEncoder& encoder)
{
    FrameBuffer* buffer = writer.nextBuffer();
    if (!buffer)
        return writer.finish();
    if (Status s = takeSnapshot(movie, *buffer); !s) {
        writer.release(buffer);
        return {movie.session().mediaFile, std::move(s)};  // the video failed, not the file
    }
    writer.write(buffer, path, encoder);
    return {};
}

bool stopped(const BulkCallbacks& callbacks)
{
    return callbacks.stopRequested && callbacks.stopRequested();
}

}  // namespace

BulkResult runBulkCapture(ActiveMovieControl& movie, const CapturePlan& plan,
                          const BulkOutput& output, const BulkCallbacks& callbacks)
{
    const std::unique_ptr<FrameEncoder> encoder = makeFrameEncoder(output.format, output.quality);
    const QString extension = imageFormatInfo(output.format).extension;
    FrameFileWriter writer;  // after the encoder: gone, with its files written, before it
    BulkResult result;
    for (std::int32_t frame = plan.firstFrame; frame <= plan.lastFrame; ++frame) {
        if (stopped(callbacks)) {
            result.end = BulkResult::End::Stopped;
            break;
        }
        const QString path = frameFilePath(output.folder, frame, extension);
        if (Status moved = moveToCaptureTime(movie, plan.captureTime(frame)); !moved) {
            result.failure = {movie.session().mediaFile, std::move(moved)};
            break;
        }
        if (callbacks.atFrame)
            callbacks.atFrame(frame);
        result.failure = handOver(movie, writer, path, *encoder);
        if (!result.failure.ok())
            break;
        if (callbacks.handed)
            callbacks.handed(++result.handed);
    }
    if (result.end == BulkResult::End::Completed && result.failure.ok() && stopped(callbacks))
        result.end = BulkResult::End::Stopped;
    if (FileStatus written = writer.finish(); !written.ok())
        result.failure = std::move(written);
    if (!result.failure.ok())
        result.end = BulkResult::End::Failed;
    return result;
}

}  // namespace kadrel
