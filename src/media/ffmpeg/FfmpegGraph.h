#pragma once
// What the application hands to ActiveMovieControl: the factory of a new FFmpeg filter graph
// manager for every opened file.

#include "media/MediaInterfaces.h"

#include <memory>

namespace kadrel {

std::shared_ptr<IMediaControl> makeFfmpegGraph();

}  // namespace kadrel
