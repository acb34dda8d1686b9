#include "media/ffmpeg/FfmpegGraph.h"

#include "media/ffmpeg/FilgraphManager.h"

namespace kadrel {

std::shared_ptr<IMediaControl> makeFfmpegGraph()
{
    return std::make_shared<ffmpeg::FilgraphManager>();
}

GraphFactory ffmpegGraphsStoppedBy(std::function<bool()> stop)
{
    return [stop = std::move(stop)]() -> std::shared_ptr<IMediaControl> {
        auto graph = std::make_shared<ffmpeg::FilgraphManager>();
        graph->abandonReadsWhen(stop);
        return graph;
    };
}

}  // namespace kadrel
