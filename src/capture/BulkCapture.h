#pragma once
// The one bulk loop over a plan's frames, for the capture settings frame, kadrel-extract and
// the benchmark: for each frame the selection picks, move the media to it, take its snapshot
// into a buffer of the writer thread, and hand it over to be encoded and written behind the
// loop; the manifest lists each file once the writer has it on the disk.
//
// Whatever ends the loop (the last frame, a stop, a failure) the files in hand are finished
// before it returns, so only whole files are left, and the manifest lists exactly those. The
// failure reported is the first file that failed: a file the writer failed on came before the
// frame that stopped the loop. A selection or template that cannot be used fails before any
// file is written.

#include "capture/CapturePlan.h"
#include "capture/FrameSelection.h"
#include "capture/Manifest.h"
#include "capture/NameTemplate.h"
#include "output/FrameFile.h"
#include "output/ImageFormat.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace kadrel {

class ActiveMovieControl;

// Where the files go: folder/<the template's name> with the type's extension ({src} being the
// open video's name), and the manifest beside them.
struct BulkOutput {
    QString folder;
    ImageFormat format = ImageFormat::Bmp;
    std::optional<int> quality = std::nullopt;  // the type's default unless given
    NameTemplate names{};
    ManifestKind manifest = ManifestKind::None;
    bool metadata = false;  // each PNG, JPEG or WebP file carries its frame's facts
    int pngDepth = 8;       // bits a channel of PNG files: 8 or 16
};

// What the caller sees of the run; each may be empty.
struct BulkCallbacks {
    std::function<bool()> stopRequested;             // asked before each frame and after the last
    std::function<void(std::int32_t frame)> atFrame;  // the media is on frame, its file (if the
                                                      // selection writes one) not yet handed over
    std::function<void(std::int32_t handed)> handed;  // a file handed over: the count so far
};

struct BulkResult {
    enum class End { Completed, Stopped, Failed };
    End end = End::Completed;
    std::int32_t handed = 0;  // frames handed to the writer
    FileStatus failure;       // for Failed
};

BulkResult runBulkCapture(ActiveMovieControl& movie, const CapturePlan& plan,
                          const FrameSelection& selection, const BulkOutput& output,
                          const BulkCallbacks& callbacks = {});

}  // namespace kadrel
