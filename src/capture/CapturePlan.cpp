#include "capture/CapturePlan.h"

#include "common/Rounding.h"
#include "media/ActiveMovieControl.h"

namespace kadrel {

namespace {

Result<std::int32_t> divideRounded(double value, double divisor)
{
    if (divisor == 0.0)
        return Status::failure(kDivisionByZeroError, QStringLiteral("Division by zero"));
    return roundToInt32(value / divisor);
}

}  // namespace

CapturePlan CapturePlan::wholeVideo(double duration, double timePerFrame)
{
    return {timePerFrame, 0, 0.0, duration};
}

CapturePlan CapturePlan::range(int from, int to, double timePerFrame)
{
    return {timePerFrame, from, timePerFrame * from, timePerFrame * to};
}

Result<std::int32_t> CapturePlan::frameNumber(double captureTime) const
{
    return divideRounded(captureTime, timePerFrame);
}

Result<std::int32_t> CapturePlan::lastFrameNumber() const
{
    return divideRounded(endTime, timePerFrame);
}

QString frameFilePath(const QString& folder, std::int32_t frame, const QString& extension)
{
    return folder + QStringLiteral("/frame") + QString::number(frame) + extension;
}

Status moveToCaptureTime(ActiveMovieControl& control, double captureTime)
{
    control.PlayMedia();
    const Status moved = control.SetPosition(captureTime);
    control.PauseMedia();
    return moved;
}

}  // namespace kadrel
