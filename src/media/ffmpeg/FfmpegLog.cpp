#include "media/ffmpeg/FfmpegLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdarg>
#include <mutex>

namespace kadrel::ffmpeg {

// Off by default: a category enabled only for fatal messages lets no warning through.
Q_LOGGING_CATEGORY(ffmpegLog, "kadrel.ffmpeg", QtFatalMsg)

namespace {

void forward(void* object, int level, const char* format, va_list args)
{
    const bool error = level <= AV_LOG_ERROR;
    if (level > AV_LOG_WARNING
        || !(error ? ffmpegLog().isCriticalEnabled() : ffmpegLog().isWarningEnabled()))
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line2(object, level, format, args, line, sizeof line, &prefix);
    QString text = QString::fromUtf8(line).trimmed();
    if (text.isEmpty())
        return;
    if (error)
        qCCritical(ffmpegLog).noquote() << text;
    else
        qCWarning(ffmpegLog).noquote() << text;
}

}  // namespace

void routeFfmpegLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_WARNING);
        av_log_set_callback(forward);
    });
}

}  // namespace kadrel::ffmpeg
