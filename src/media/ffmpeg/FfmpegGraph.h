#pragma once
// What the application hands to ActiveMovieControl: the factory of a new FFmpeg filter graph
// manager for every opened file.

#include "media/MediaInterfaces.h"

#include <functional>
#include <memory>

namespace kadrel {

std::shared_ptr<IMediaControl> makeFfmpegGraph();
// A factory of graphs whose reads give up once stop says so: stop is asked from any thread
// while a read waits for data, and ends the wait (kadrel-extract's interrupt).
GraphFactory ffmpegGraphsStoppedBy(std::function<bool()> stop);

}  // namespace kadrel
