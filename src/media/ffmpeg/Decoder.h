#pragma once
// A threaded libavcodec decoder for one stream. Bad packets are skipped; draining at the end
// of the file hands out the frames the decoder still holds.

#include "common/Status.h"
#include "media/ffmpeg/FfmpegHolders.h"

#include <functional>

namespace kadrel::ffmpeg {

class Decoder {
public:
    using FrameSink = std::function<void(AVFrame*)>;

    Status open(const AVStream* stream);
    bool isOpen() const { return m_codec != nullptr; }
    // Decodes one packet (nullptr drains) and passes every frame it yields to sink.
    void decode(const AVPacket* packet, const FrameSink& sink);
    void flush();
    // Leaves out the pictures no other picture refers to (playback that has fallen behind).
    void setSkipNonReference(bool skip);

private:
    CodecPtr m_codec;
    FramePtr m_frame = makeFrame();
};

}  // namespace kadrel::ffmpeg
