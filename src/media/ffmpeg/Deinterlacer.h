#pragma once
// Deinterlacing between the decoder and the frame queue: libavfilter's bwdif, one frame out
// for each frame in, changing only the pictures flagged interlaced.
//
// bwdif makes a picture from the pictures before and after it too, so each frame comes out
// one frame late, and the last one when the run ends; the first of a run, with none before
// it, is made from its own two fields. A frame keeps its time stamp and its interlace flag.
// A picture of another size or format ends the run and starts a new one. Should libavfilter
// fail, the frames go on as they came until the next reset, so none is ever lost.

#include "common/Status.h"
#include "media/ffmpeg/FfmpegHolders.h"

#include <deque>
#include <functional>

namespace kadrel::ffmpeg {

// Whether the decoder flagged the picture as interlaced (two fields woven into one frame).
bool isInterlaced(const AVFrame* frame);

class Deinterlacer {
public:
    // A frame going on, and whether the deinterlacer made its picture anew.
    using Sink = std::function<void(AVFrame* frame, bool deinterlaced)>;

    // One decoded frame in (null: the run ends); every frame that is due goes to sink, in
    // order. A failure is returned once; the frames then pass unchanged until reset().
    Status push(AVFrame* frame, const Sink& sink);
    // A picture decoded apart from its neighbours (keyframes only), made from its own fields.
    Status pushAlone(AVFrame* frame, const Sink& sink);
    // Drops the run and what it holds.
    void reset();

private:
    Status build(const AVFrame* frame);
    bool fits(const AVFrame* frame) const;
    Status send(AVFrame* frame, const Sink& sink);
    // After libavfilter failed with err: hands on the frames held and notSent, unchanged.
    Status fail(int err, const Sink& sink, AVFrame* notSent = nullptr);

    FilterGraphPtr m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    std::deque<FramePtr> m_inside;  // the frames in the filter, oldest first
    FramePtr m_out = makeFrame();
    bool m_failed = false;
};

}  // namespace kadrel::ffmpeg
