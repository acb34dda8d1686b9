#pragma once
// What the application hands to ActiveMovieControl: the factory of a new FFmpeg filter graph
// manager for every opened file, and the writer thread of bulk runs.

#include "media/FrameFile.h"
#include "media/MediaInterfaces.h"

#include <memory>

namespace kadrel {

std::shared_ptr<IMediaControl> makeFfmpegGraph();
std::unique_ptr<FrameWriter> makeFrameFileWriter();

}  // namespace kadrel
