#pragma once
// The arithmetic of a bulk capture run, shared by the main window's run and the benchmark.
//
// The run starts at captureTime = startTime and, for as long as captureTime <= endTime
// (compared as doubles, so whether the frame at the end is written depends on the rounding
// of the additions), captures frame n = captureTime / T rounded half to even, then adds T
// once (the time is never recomputed from the frame number).
//   whole video:  first frame 0, start 0, end = the duration
//   From..To:     first frame F, start T x F, end T x L
// One frame's step is moveToCaptureTime (PlayMedia, SetPosition, PauseMedia), after which the
// caller yields, updates its display and writes frameFilePath(...) with SaveFrameBitmap.

#include "common/Status.h"

#include <QString>

#include <cstdint>

namespace kadrel {

class ActiveMovieControl;

// Error number of a frame time of 0 (a division by zero).
inline constexpr int kDivisionByZeroError = 11;

struct CapturePlan {
    double timePerFrame = 0.0;  // T
    int firstFrame = 0;         // F
    double startTime = 0.0;     // the first captureTime
    double endTime = 0.0;       // E

    static CapturePlan wholeVideo(double duration, double timePerFrame);
    static CapturePlan range(int from, int to, double timePerFrame);

    bool includes(double captureTime) const { return captureTime <= endTime; }
    double next(double captureTime) const { return captureTime + timePerFrame; }
    // captureTime / T rounded half to even; fails for T = 0 or beyond the 32-bit range.
    Result<std::int32_t> frameNumber(double captureTime) const;
    // E / T rounded half to even: the number after the slash of the progress counter.
    Result<std::int32_t> lastFrameNumber() const;
};

// folder, the separator, "frame", n, extension: "/out/frame12.bmp". A folder that already
// ends with a separator gives two in a row, which the file system takes as one.
QString frameFilePath(const QString& folder, std::int32_t frame,
                      const QString& extension = QStringLiteral(".bmp"));

// Brings the media to captureTime and leaves it paused there: PlayMedia, SetPosition,
// PauseMedia. A failure of the move goes to the caller.
Status moveToCaptureTime(ActiveMovieControl& control, double captureTime);

}  // namespace kadrel
