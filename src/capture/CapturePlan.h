#pragma once
// The frames of a bulk capture run, shared by the main window's run and the benchmark.
//
// Frame n is captured at n x T, its time computed from its number, and the engine then shows
// the last frame starting at or before n x T + T/2. The picture's frames are therefore those
// whose n x T + T/2 lies before the end of the video stream: the whole video is frame0 up to
// the last frame that starts before that end, each once, and a sound track that runs on adds
// none. A From..To range is From through To, cut at the picture's last frame.
// One frame's step is moveToCaptureTime (PlayMedia, SetPosition, PauseMedia), after which the
// caller yields, updates its display and writes the frame's file.

#include "common/Status.h"

#include <QString>

#include <cstdint>

namespace kadrel {

class ActiveMovieControl;

// Error number of a frame time of 0 (a division by zero).
inline constexpr int kDivisionByZeroError = kFirstProgramError + 11;

struct CapturePlan {
    double timePerFrame = 0.0;  // T
    std::int32_t firstFrame = 0;
    std::int32_t lastFrame = -1;

    // Every frame of a picture that ends at videoEnd; fails for T = 0 or more frames than
    // 32 bits count.
    static Result<CapturePlan> wholeVideo(double videoEnd, double timePerFrame);
    // Every frame of the open video; fails when it has no usable frame time.
    static Result<CapturePlan> wholeVideo(ActiveMovieControl& control);
    // From through To of this plan's frames.
    CapturePlan range(std::int32_t from, std::int32_t to) const;

    std::int32_t frameCount() const { return lastFrame - firstFrame + 1; }
    double captureTime(std::int32_t frame) const { return frame * timePerFrame; }
};

// Brings the media to captureTime and leaves it paused there: PlayMedia, SetPosition,
// PauseMedia. A failure of the move goes to the caller.
Status moveToCaptureTime(ActiveMovieControl& control, double captureTime);

}  // namespace kadrel
