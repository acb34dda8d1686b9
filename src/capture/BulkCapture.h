#pragma once
// The one bulk loop over a plan's frames, for the capture settings frame, kadrel-extract and
// the benchmark: for each frame, move the media to it, take its snapshot into a buffer of the
// writer thread, and hand it over to be encoded and written behind the loop.
//
// Whatever ends the loop (the last frame, a stop, a failure) the files in hand are finished
// before it returns, so only whole files are left. The failure reported is the first file
// that failed: a file the writer failed on came before the frame that stopped the loop.

#include "capture/CapturePlan.h"
#include "output/FrameFile.h"
#include "output/ImageFormat.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace kadrel {

class ActiveMovieControl;

// Where the files go: folder/frame<n> with the type's extension.
struct BulkOutput {
    QString folder;
    ImageFormat format = ImageFormat::Bmp;
    int quality = kDefaultJpegQuality;
};

// What the caller sees of the run; each may be empty.
struct BulkCallbacks {
    std::function<bool()> stopRequested;             // asked before each frame and after the last
    std::function<void(std::int32_t frame)> atFrame;  // the media is on frame, its file not yet
                                                      // handed over
    std::function<void(std::int32_t handed)> handed;  // a file handed over: the count so far
};

struct BulkResult {
    enum class End { Completed, Stopped, Failed };
    End end = End::Completed;
    std::int32_t handed = 0;  // frames handed to the writer
    FileStatus failure;       // for Failed
};

BulkResult runBulkCapture(ActiveMovieControl& movie, const CapturePlan& plan,
                          const BulkOutput& output, const BulkCallbacks& callbacks = {});

}  // namespace kadrel
