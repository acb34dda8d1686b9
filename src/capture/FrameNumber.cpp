#include "capture/FrameNumber.h"

#include "media/ActiveMovieControl.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace kadrel {

namespace {

// n x T divided by T may come out a hair below n.
constexpr double kFrameSlack = 1e-6;

// Error number of a Go To entry that names no frame.
constexpr int kBadEntryError = kFirstProgramError + 30;

Status badEntry(const QString& text)
{
    return Status::failure(kBadEntryError, text);
}

}  // namespace

FrameFacts frameFacts(const MediaSession& session, const CapturePlan& plan, std::int32_t frame)
{
    const double time = plan.captureTime(frame);
    return {QFileInfo(session.mediaFile).fileName(), frame, time, clockText(time),
            session.creationTime};
}

std::optional<double> secondsOfEntry(const QString& text)
{
    static const QRegularExpression time(
        QStringLiteral("^(?:(?:(\\d+):)?(\\d+):)?(\\d+(?:\\.\\d*)?|\\.\\d+)$"));
    const QRegularExpressionMatch m = time.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double hours = m.captured(1).toDouble();
    const double minutes = m.captured(2).toDouble();
    const double seconds = m.captured(3).toDouble();
    // Below an hour or a minute field, the next one counts no more than 59.
    if ((m.hasCaptured(2) && seconds >= 60.0) || (m.hasCaptured(1) && minutes >= 60.0))
        return std::nullopt;
    return (hours * 60.0 + minutes) * 60.0 + seconds;
}

std::int32_t frameAtTime(const CapturePlan& plan, double seconds)
{
    const double frame = std::floor(seconds / plan.timePerFrame + kFrameSlack);
    return static_cast<std::int32_t>(std::clamp(frame, 0.0, double(INT32_MAX)));
}

std::int32_t frameAtPosition(const CapturePlan& plan, double position)
{
    const double frame = std::floor(position / plan.timePerFrame + kFrameSlack);
    return static_cast<std::int32_t>(std::clamp(frame, double(plan.firstFrame),
                                                double(std::max(plan.firstFrame, plan.lastFrame))));
}

QString clockText(double seconds)
{
    const auto ms = static_cast<std::int64_t>(std::llround(std::max(seconds, 0.0) * 1000.0));
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QString frameReadout(const CapturePlan& plan, std::int32_t frame)
{
    return QStringLiteral("Frame %1 \u00b7 %2").arg(frame).arg(clockText(plan.captureTime(frame)));
}

Result<std::int32_t> frameOfEntry(const CapturePlan& plan, const QString& entry)
{
    const QString text = entry.trimmed();
    const QString range = QStringLiteral("This video has frames %1 to %2 (%3 to %4).")
                              .arg(plan.firstFrame)
                              .arg(plan.lastFrame)
                              .arg(clockText(plan.captureTime(plan.firstFrame)),
                                   clockText(plan.captureTime(plan.lastFrame)));
    static const QRegularExpression number(QStringLiteral("^\\d+$"));
    if (number.match(text).hasMatch()) {
        bool fits = false;
        const std::int32_t frame = text.toInt(&fits);
        if (!fits || frame < plan.firstFrame || frame > plan.lastFrame)
            return badEntry(QStringLiteral("There is no frame %1.\n%2").arg(text, range));
        return frame;
    }
    const std::optional<double> seconds = secondsOfEntry(text);
    if (!seconds)
        return badEntry(QStringLiteral("\"%1\" is neither a frame number nor a time.\n"
                                       "Enter a frame number such as 1234, or a time such as "
                                       "1:02.5 or 00:01:02.500.")
                            .arg(text));
    const std::int32_t frame = frameAtTime(plan, *seconds);
    if (frame > plan.lastFrame)
        return badEntry(QStringLiteral("%1 is past the last frame.\n%2")
                            .arg(clockText(*seconds), range));
    return std::max(frame, plan.firstFrame);
}

}  // namespace kadrel
