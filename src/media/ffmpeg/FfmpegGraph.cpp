#include "media/ffmpeg/FfmpegGraph.h"

#include "media/ffmpeg/FilgraphManager.h"
#include "media/ffmpeg/FrameFileWriter.h"

namespace kadrel {

std::shared_ptr<IMediaControl> makeFfmpegGraph()
{
    return std::make_shared<ffmpeg::FilgraphManager>();
}

std::unique_ptr<FrameWriter> makeFrameFileWriter()
{
    return std::make_unique<ffmpeg::FrameFileWriter>();
}

}  // namespace kadrel
