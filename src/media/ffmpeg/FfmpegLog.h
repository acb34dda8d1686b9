#pragma once
// FFmpeg's warnings and errors go to the Qt logging category "kadrel.ffmpeg", which is off
// unless switched on, e.g. QT_LOGGING_RULES="kadrel.ffmpeg=true".

#include <QLoggingCategory>

namespace kadrel::ffmpeg {

Q_DECLARE_LOGGING_CATEGORY(ffmpegLog)

// Routes FFmpeg's log to the category; done once per process, later calls do nothing.
void routeFfmpegLog();

}  // namespace kadrel::ffmpeg
