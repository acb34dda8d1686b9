#pragma once
// Which frames of a plan a bulk run writes: all of them (the default), every Nth, R per
// second, keyframes only, or the first frame of each new scene. A file keeps its frame's true
// number n, so a selection's frame<n> is the same picture as the whole run's.
//
//   EveryNth   From, From + N, From + 2N, ...
//   PerSecond  for each k, the frame on show at k / R; a picture is written once, so a
//              variable frame rate or R above the frame rate gives no duplicates
//   Keyframes  the engine decodes keyframes only; each is written as the frame that shows it
//   Scenes     every frame is looked at, and one is written when its scene score (below) reaches
//              the threshold and at least minGap seconds have passed since the last one written;
//              the plan's first frame opens the first scene

#include "capture/CapturePlan.h"
#include "media/MediaInterfaces.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace kadrel {

class ActiveMovieControl;

// Error number of selection values that cannot be used.
inline constexpr int kBadSelection = kFirstProgramError + 41;

struct FrameSelection {
    enum class Kind { All, EveryNth, PerSecond, Keyframes, Scenes };
    Kind kind = Kind::All;
    std::int32_t every = 10;      // EveryNth: N, from 1
    double perSecond = 1.0;       // PerSecond: R, above 0 and up to 1000
    double sceneThreshold = 0.3;  // Scenes: 0 to 1
    double minGap = 0.0;          // Scenes: seconds, from 0
};

// Why the values cannot be used, for the user; success when they can.
Status checkSelection(const FrameSelection& selection);

// How many files the selection writes of the plan, when that is known before the run.
std::optional<std::int32_t> selectedCount(const FrameSelection& selection,
                                          const CapturePlan& plan);

// How different a picture's luma is from the one before: the mean absolute difference per
// sample (0..255, over about 128 rows spread over the height) of each pair of pictures, and
// the score, that difference but no more than its change from the pair before, over 100,
// clamped to 0..1. A cut scores high; steady motion, whose differences stay alike, scores low.
// Pictures of different sizes score 1.
class SceneScore {
public:
    double next(const LumaPlane& previous, const LumaPlane& current);

private:
    double m_lastDifference = 0.0;
};

// The frames a selection visits, one after another, and which of them it writes.
class FramePicker {
public:
    static std::unique_ptr<FramePicker> make(const FrameSelection& selection,
                                             const CapturePlan& plan);
    virtual ~FramePicker() = default;

    // The next frame to move to; none when the plan has no more.
    virtual Result<std::optional<std::int32_t>> next(ActiveMovieControl& movie) = 0;
    // Whether the media needs telling the picture's facts to take().
    virtual bool needsFacts() const { return false; }
    // With the media on the frame: whether its picture is written.
    virtual Result<bool> take(ActiveMovieControl&, std::int32_t /*frame*/,
                              const PictureFacts& /*picture*/)
    {
        return true;
    }
    // The score of the frame taken last, for a selection by scene.
    virtual std::optional<double> score() const { return std::nullopt; }
    // Gives the media back as the run found it.
    virtual Status end(ActiveMovieControl&) { return {}; }
};

}  // namespace kadrel
