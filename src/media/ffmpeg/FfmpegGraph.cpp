#include "media/ffmpeg/FfmpegGraph.h"

#include "media/ffmpeg/FilgraphManager.h"

namespace kadrel {

std::shared_ptr<IMediaControl> makeFfmpegGraph()
{
    return std::make_shared<ffmpeg::FilgraphManager>();
}

}  // namespace kadrel
