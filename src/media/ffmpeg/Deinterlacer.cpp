#include "media/ffmpeg/Deinterlacer.h"

#include "media/MediaErrors.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/pixdesc.h>
}

#include <utility>

namespace kadrel::ffmpeg {

namespace {

// One frame out for each frame in; only the pictures flagged interlaced are changed, in the
// field order each of them states.
constexpr char kBwdif[] = "mode=send_frame:parity=auto:deint=interlaced";

void setInterlaced(AVFrame* frame, bool interlaced)
{
#ifdef AV_FRAME_FLAG_INTERLACED
    frame->flags = interlaced ? frame->flags | AV_FRAME_FLAG_INTERLACED
                              : frame->flags & ~AV_FRAME_FLAG_INTERLACED;
#else
    frame->interlaced_frame = interlaced;
#endif
}

Status failure(const QString& what, int err)
{
    return Status::failure(mediaerror::kDeinterlace, what + avErrorText(err));
}

}  // namespace

bool isInterlaced(const AVFrame* frame)
{
#ifdef AV_FRAME_FLAG_INTERLACED
    return frame->flags & AV_FRAME_FLAG_INTERLACED;
#else
    return frame->interlaced_frame != 0;
#endif
}

Status Deinterlacer::push(AVFrame* frame, const Sink& sink)
{
    Status s;
    if (m_graph && frame && !fits(frame))
        s = send(nullptr, sink);  // the run of the old size or format ends
    if (s && frame && !m_graph && !m_failed)
        s = build(frame);
    if (s && m_graph)
        return send(frame, sink);
    if (frame)
        sink(frame, false);
    return s;
}

// The second copy brings the first out, made as the first picture of a run is.
Status Deinterlacer::pushAlone(AVFrame* frame, const Sink& sink)
{
    reset();
    bool first = true;
    const Sink once = [&](AVFrame* out, bool deinterlaced) {
        if (std::exchange(first, false))
            sink(out, deinterlaced);
    };
    const Status s = push(frame, once);
    const Status twin = push(frame, once);
    reset();
    return s ? twin : s;
}

void Deinterlacer::reset()
{
    m_graph.reset();
    m_source = nullptr;
    m_sink = nullptr;
    m_inside.clear();
    m_failed = false;
}

Status Deinterlacer::build(const AVFrame* frame)
{
    const char* format = av_get_pix_fmt_name(static_cast<AVPixelFormat>(frame->format));
    const AVRational aspect = frame->sample_aspect_ratio;
    const QByteArray source =
        QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=1/1:pixel_aspect=%4/%5")
            .arg(frame->width).arg(frame->height).arg(frame->format)
            .arg(aspect.den > 0 ? aspect.num : 0).arg(aspect.den > 0 ? aspect.den : 1)
            .toLatin1();
    m_graph.reset(avfilter_graph_alloc());
    AVFilterContext* bwdif = nullptr;
    AVFilterGraph* graph = m_graph.get();
    int err = graph ? 0 : AVERROR(ENOMEM);
    if (err >= 0)
        err = avfilter_graph_create_filter(&m_source, avfilter_get_by_name("buffer"), "in",
                                           source.constData(), nullptr, graph);
    if (err >= 0)
        err = avfilter_graph_create_filter(&bwdif, avfilter_get_by_name("bwdif"), "bwdif",
                                           kBwdif, nullptr, graph);
    if (err >= 0)
        err = avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("buffersink"), "out",
                                           nullptr, nullptr, graph);
    if (err >= 0)
        err = avfilter_link(m_source, 0, bwdif, 0);
    if (err >= 0)
        err = avfilter_link(bwdif, 0, m_sink, 0);
    if (err >= 0)
        err = avfilter_graph_config(graph, nullptr);
    if (err >= 0)
        return {};
    reset();
    m_failed = true;
    return failure(QStringLiteral("Cannot deinterlace %1 x %2 %3 pictures: ")
                       .arg(frame->width).arg(frame->height)
                       .arg(QLatin1String(format ? format : "unknown")),
                   err);
}

bool Deinterlacer::fits(const AVFrame* frame) const
{
    const AVFilterLink* in = m_source->outputs[0];
    return frame->width == in->w && frame->height == in->h && frame->format == in->format;
}

Status Deinterlacer::send(AVFrame* frame, const Sink& sink)
{
    FramePtr copy(frame ? av_frame_clone(frame) : nullptr);
    int err = frame && !copy ? AVERROR(ENOMEM)
                             : av_buffersrc_add_frame_flags(m_source, frame,
                                                            AV_BUFFERSRC_FLAG_KEEP_REF);
    if (err < 0)
        return fail(err, sink, frame);
    if (copy)
        m_inside.push_back(std::move(copy));
    while ((err = av_buffersink_get_frame(m_sink, m_out.get())) >= 0) {
        if (!m_inside.empty()) {
            const FramePtr in = std::move(m_inside.front());
            m_inside.pop_front();
            m_out->pts = in->pts;
            setInterlaced(m_out.get(), isInterlaced(in.get()));
            // A picture passed through still shares the decoder's memory.
            sink(m_out.get(), m_out->data[0] != in->data[0]);
        }
        av_frame_unref(m_out.get());
    }
    if (err == AVERROR_EOF)
        reset();
    return err == AVERROR(EAGAIN) || err == AVERROR_EOF ? Status() : fail(err, sink);
}

Status Deinterlacer::fail(int err, const Sink& sink, AVFrame* notSent)
{
    const std::deque<FramePtr> held = std::exchange(m_inside, {});
    reset();
    m_failed = true;
    for (const FramePtr& frame : held)
        sink(frame.get(), false);
    if (notSent)
        sink(notSent, false);
    return failure(QStringLiteral("The deinterlacer failed: "), err);
}

}  // namespace kadrel::ffmpeg
