#pragma once
// What a frame's file may say about the frame: the video it comes from, its number and time,
// and when it was recorded. PNG files carry them as text chunks, JPEG and WebP files as EXIF.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

namespace kadrel {

struct FrameFacts {
    QString source;          // the video's file name
    std::int32_t frame = -1;  // none: the file carries no facts
    double seconds = 0.0;    // n x T
    QString clock;           // the same time as "00:01:02.500"
    QString recorded;        // the container's creation_time (ISO 8601, UTC); may be empty

    bool any() const { return frame >= 0; }
};

// When the frame was recorded: the container's recording time plus the frame's time, in UTC;
// invalid when the container states none.
QDateTime recordedAt(const FrameFacts& facts);

// The facts as (keyword, text) pairs for a PNG file's text chunks.
std::vector<std::pair<QByteArray, QString>> factTexts(const FrameFacts& facts);

// The facts as an EXIF block starting with its "Exif\0\0" header, as a JPEG APP1 segment holds
// it: ImageDescription, and DateTimeOriginal with its milliseconds and UTC offset when known.
QByteArray exifBlock(const FrameFacts& facts);

}  // namespace kadrel
