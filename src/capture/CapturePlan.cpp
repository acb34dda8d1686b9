#include "capture/CapturePlan.h"

#include "common/Rounding.h"
#include "media/ActiveMovieControl.h"

#include <algorithm>
#include <cmath>

namespace kadrel {

Result<CapturePlan> CapturePlan::wholeVideo(double videoEnd, double timePerFrame)
{
    if (timePerFrame == 0.0)
        return Status::failure(kDivisionByZeroError, QStringLiteral("Division by zero"));
    // The count of n >= 0 with n + 1/2 < videoEnd / T; frame0 exists in any video.
    const double count = std::max(std::ceil(videoEnd / timePerFrame - 0.5), 1.0);
    if (!(count <= INT32_MAX))
        return Status::failure(kOverflowError, QStringLiteral("Overflow"));
    return CapturePlan{timePerFrame, 0, static_cast<std::int32_t>(count) - 1};
}

Result<CapturePlan> CapturePlan::wholeVideo(ActiveMovieControl& control)
{
    const Result<double> timePerFrame = control.GetTimePerFrame();
    if (!timePerFrame)
        return timePerFrame.status();
    const Result<double> videoEnd = control.GetVideoEnd();
    if (!videoEnd)
        return videoEnd.status();
    return wholeVideo(videoEnd.value(), timePerFrame.value());
}

CapturePlan CapturePlan::range(std::int32_t from, std::int32_t to) const
{
    return {timePerFrame, std::max(from, firstFrame), std::min(to, lastFrame)};
}

Status moveToCaptureTime(ActiveMovieControl& control, double captureTime)
{
    control.PlayMedia();
    const Status moved = control.SetPosition(captureTime);
    control.PauseMedia();
    return moved;
}

}  // namespace kadrel
