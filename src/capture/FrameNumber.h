#pragma once
// The numbers a bulk run gives the pictures, seen from the window: which capture frame is on
// show at a position, and how the window writes it ("Frame 1234 · 00:00:49.360").
//
// A run writes frame n from the picture the engine shows at captureTime(n) = n x T. A
// position the window moved to is such a captureTime, and a position reached by playing
// shows the picture that started last, so both are numbered floor(position / T): the same
// arithmetic as the run's, which is why a window's frame n is the run's frame<n> file.

#include "capture/CapturePlan.h"
#include "output/FrameFacts.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace kadrel {

struct MediaSession;

// The capture number of the picture on show at position, within the plan's frames.
std::int32_t frameAtPosition(const CapturePlan& plan, double position);

// "00:00:49.360": hours, minutes, seconds and milliseconds of a time in seconds.
QString clockText(double seconds);

// "Frame 1234 · 00:00:49.360": the number and its capture time.
QString frameReadout(const CapturePlan& plan, std::int32_t frame);

// What frame's file may say of it: the open video's name, the number, its capture time and
// the container's recording time.
FrameFacts frameFacts(const MediaSession& session, const CapturePlan& plan, std::int32_t frame);

// Seconds of a time entry ("62.5", "1:02.5", "00:01:02.500"); none for any other text.
std::optional<double> secondsOfEntry(const QString& text);

// The frame on show at a time, floor(seconds / T), unclamped.
std::int32_t frameAtTime(const CapturePlan& plan, double seconds);

// What Go To takes: a frame number ("1234") or a time ("62.5", "1:02.5", "00:01:02.500"),
// a time meaning the picture on show at that moment. Fails with a message for the user
// when the entry is neither or names no frame of the plan.
Result<std::int32_t> frameOfEntry(const CapturePlan& plan, const QString& entry);

}  // namespace kadrel
