#pragma once
// The factory the application hands to ActiveMovieControl: a new FFmpeg filter graph
// manager for every opened file.

#include "media/MediaInterfaces.h"

#include <memory>

namespace kadrel {

std::shared_ptr<IMediaControl> makeFfmpegGraph();

}  // namespace kadrel
