#include "capture/FrameSelection.h"

#include "capture/FrameNumber.h"
#include "media/ActiveMovieControl.h"
#include "media/MediaErrors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kadrel {

namespace {

// n x T divided by T may come out a hair off n.
constexpr double kSlack = 1e-6;

// About this many rows of a picture tell a cut as well as all of them, at a fraction of the
// reading (the pictures come from memory, long out of the cache).
constexpr std::int32_t kScoredRows = 128;

// The sum of |a[i] - b[i]|: it runs once per picture of a scene run, over every sample, so
// sixteen at a time where the processor can.
std::uint64_t absoluteDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t size)
{
    std::uint64_t sum = 0;
    std::size_t i = 0;
#ifdef __SSE2__
    __m128i sums = _mm_setzero_si128();
    for (; i + 16 <= size; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        sums = _mm_add_epi64(sums, _mm_sad_epu8(x, y));
    }
    sum = std::uint64_t(_mm_cvtsi128_si64(sums))
          + std::uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
#endif
    for (; i < size; ++i)
        sum += static_cast<std::uint32_t>(std::abs(int(a[i]) - int(b[i])));
    return sum;
}

Status bad(const QString& why)
{
    return Status::failure(kBadSelection, why);
}

// From, From + step, ... up to To.
class StepPicker final : public FramePicker {
public:
    StepPicker(const CapturePlan& plan, std::int32_t step) : m_plan(plan), m_step(step) {}

    Result<std::optional<std::int32_t>> next(ActiveMovieControl& movie) override
    {
        // Told the frames between, the engine need not decode the pictures only they show.
        if (!m_next && m_step > 1) {
            if (Status s = movie.SetTargetStride(m_plan.captureTime(m_plan.firstFrame),
                                                 m_step * m_plan.timePerFrame);
                !s)
                return s;
            m_strided = true;
        }
        const std::int64_t frame = m_next ? std::int64_t{*m_next} + m_step : m_plan.firstFrame;
        if (frame > m_plan.lastFrame)
            return std::optional<std::int32_t>();
        m_next = static_cast<std::int32_t>(frame);
        return m_next;
    }

    Status end(ActiveMovieControl& movie) override
    {
        return m_strided ? movie.SetTargetStride(0.0, 0.0) : Status();
    }

private:
    CapturePlan m_plan;
    std::int32_t m_step;
    std::optional<std::int32_t> m_next;
    bool m_strided = false;
};

// The frame on show at k / R for k = 0, 1, ... within the plan, each picture once.
class PerSecondPicker final : public FramePicker {
public:
    PerSecondPicker(const CapturePlan& plan, double rate) : m_plan(plan), m_rate(rate)
    {
        m_k = std::ceil(plan.firstFrame * plan.timePerFrame * rate - kSlack);
    }

    Result<std::optional<std::int32_t>> next(ActiveMovieControl&) override
    {
        for (;; m_k += 1.0) {
            const double at = std::floor(m_k / m_rate / m_plan.timePerFrame + kSlack);
            if (at > m_plan.lastFrame)
                return std::optional<std::int32_t>();
            const auto frame = static_cast<std::int32_t>(at);
            if (frame >= m_plan.firstFrame && (!m_last || frame > *m_last)) {
                m_last = frame;
                m_k += 1.0;
                return m_last;
            }
        }
    }

    bool needsFacts() const override { return true; }

    // Two frames of a variable rate video may show one picture: it is written once.
    Result<bool> take(ActiveMovieControl&, std::int32_t, const PictureFacts& picture) override
    {
        const bool fresh = !m_written || picture.start != *m_written;
        m_written = picture.start;
        return fresh;
    }

private:
    CapturePlan m_plan;
    double m_rate;
    double m_k = 0.0;
    std::optional<std::int32_t> m_last;
    std::optional<double> m_written;  // the start of the picture written last
};

// Keyframes, decoded alone: each is written as the first frame whose capture time shows it.
class KeyframePicker final : public FramePicker {
public:
    explicit KeyframePicker(const CapturePlan& plan) : m_plan(plan) {}

    Result<std::optional<std::int32_t>> next(ActiveMovieControl& movie) override
    {
        if (!m_started) {
            m_started = true;
            if (Status s = movie.SetKeyframesOnly(true); !s)
                return s;
            if (Status s = moveToCaptureTime(movie, m_plan.captureTime(m_plan.firstFrame)); !s)
                return s;
            const Result<PictureFacts> shown = movie.GetCurrentPicture();
            if (!shown)
                return shown.status();
            if (firstFrameShowing(shown.value().start) == m_plan.firstFrame)
                return accept(m_plan.firstFrame);
        }
        for (;;) {
            const Result<double> start = movie.GetNextPictureStart();
            if (!start)
                return start.status().number() == mediaerror::kNoNextPicture
                           ? Result<std::optional<std::int32_t>>(std::optional<std::int32_t>())
                           : Result<std::optional<std::int32_t>>(start.status());
            const std::int32_t frame = firstFrameShowing(start.value());
            if (frame > m_plan.lastFrame)
                return std::optional<std::int32_t>();
            if (!m_last || frame > *m_last)
                return accept(frame);
            // Two keyframes within one frame's time: the later one is that frame's picture.
            if (Status s = movie.SetPosition(start.value()); !s)
                return s;
        }
    }

    Status end(ActiveMovieControl& movie) override
    {
        return m_started ? movie.SetKeyframesOnly(false) : Status();
    }

private:
    // The first n whose capture time n x T shows a picture starting at start: n x T + T/2 >=
    // start.
    std::int32_t firstFrameShowing(double start) const
    {
        const double n = std::ceil(start / m_plan.timePerFrame - 0.5 - kSlack);
        return static_cast<std::int32_t>(std::clamp(n, 0.0, double(INT32_MAX)));
    }

    std::optional<std::int32_t> accept(std::int32_t frame)
    {
        m_last = frame;
        return m_last;
    }

    CapturePlan m_plan;
    bool m_started = false;
    std::optional<std::int32_t> m_last;
};

// Every frame looked at, the first of each scene written.
class ScenePicker final : public FramePicker {
public:
    ScenePicker(const CapturePlan& plan, double threshold, double minGap)
        : m_steps(plan, 1), m_threshold(threshold), m_minGap(minGap)
    {
    }

    Result<std::optional<std::int32_t>> next(ActiveMovieControl& movie) override
    {
        return m_steps.next(movie);
    }

    bool needsFacts() const override { return true; }

    Result<bool> take(ActiveMovieControl& movie, std::int32_t, const PictureFacts& picture) override
    {
        // A picture shown again (a variable rate video) changes nothing.
        if (m_seen && picture.start == m_seenStart)
            return false;
        if (Status s = movie.GetCurrentLuma(m_current); !s)
            return s;
        const bool first = !m_seen;
        m_score = first ? std::optional<double>() : m_scores.next(m_previous, m_current);
        std::swap(m_previous, m_current);
        m_seen = true;
        m_seenStart = picture.start;
        const bool cut = first || (*m_score >= m_threshold
                                   && picture.start - m_writtenStart >= m_minGap - kSlack);
        if (cut)
            m_writtenStart = picture.start;
        return cut;
    }

    std::optional<double> score() const override { return m_score; }

private:
    StepPicker m_steps;
    double m_threshold;
    double m_minGap;
    SceneScore m_scores;
    LumaPlane m_previous;
    LumaPlane m_current;
    bool m_seen = false;
    double m_seenStart = 0.0;
    double m_writtenStart = 0.0;
    std::optional<double> m_score;
};

}  // namespace

Status checkSelection(const FrameSelection& selection)
{
    switch (selection.kind) {
    case FrameSelection::Kind::EveryNth:
        if (selection.every < 1)
            return bad(QStringLiteral("Every Nth frame needs N of 1 or more."));
        break;
    case FrameSelection::Kind::PerSecond:
        if (!(selection.perSecond > 0.0 && selection.perSecond <= 1000.0))
            return bad(QStringLiteral("Frames per second must be above 0 and at most 1000."));
        break;
    case FrameSelection::Kind::Scenes:
        if (!(selection.sceneThreshold >= 0.0 && selection.sceneThreshold <= 1.0))
            return bad(QStringLiteral("The scene threshold must be from 0 to 1."));
        if (!(selection.minGap >= 0.0))
            return bad(QStringLiteral("The minimum gap between scenes must be 0 s or more."));
        break;
    case FrameSelection::Kind::All:
    case FrameSelection::Kind::Keyframes:
        break;
    }
    return {};
}

std::optional<std::int32_t> selectedCount(const FrameSelection& selection,
                                          const CapturePlan& plan)
{
    switch (selection.kind) {
    case FrameSelection::Kind::All:
        return plan.frameCount();
    case FrameSelection::Kind::EveryNth:
        return (plan.lastFrame - plan.firstFrame) / selection.every + 1;
    case FrameSelection::Kind::PerSecond: {
        // k runs over k / R in [From x T, (To + 1) x T); a variable rate video may show one
        // picture for several k, so this is the most it writes.
        const double rateTime = plan.timePerFrame * selection.perSecond;
        const double ks = std::ceil((plan.lastFrame + 1) * rateTime - kSlack)
                          - std::ceil(plan.firstFrame * rateTime - kSlack);
        return static_cast<std::int32_t>(std::clamp(ks, 0.0, double(plan.frameCount())));
    }
    case FrameSelection::Kind::Keyframes:
    case FrameSelection::Kind::Scenes:
        break;
    }
    return std::nullopt;
}

double SceneScore::next(const LumaPlane& previous, const LumaPlane& current)
{
    if (previous.width != current.width || previous.height != current.height
        || current.width <= 0 || current.height <= 0) {
        m_lastDifference = 255.0;
        return 1.0;
    }
    const std::int32_t step = std::max(current.height / kScoredRows, 1);
    std::uint64_t sum = 0;
    std::int32_t rows = 0;
    for (std::int32_t y = 0; y < current.height; y += step, ++rows)
        sum += absoluteDifference(previous.row(y), current.row(y), std::size_t(current.width));
    const double difference = double(sum) / (double(current.width) * rows);
    const double change = std::abs(difference - m_lastDifference);
    m_lastDifference = difference;
    return std::clamp(std::min(difference, change) / 100.0, 0.0, 1.0);
}

std::unique_ptr<FramePicker> FramePicker::make(const FrameSelection& selection,
                                               const CapturePlan& plan)
{
    switch (selection.kind) {
    case FrameSelection::Kind::EveryNth:
        return std::make_unique<StepPicker>(plan, selection.every);
    case FrameSelection::Kind::PerSecond:
        return std::make_unique<PerSecondPicker>(plan, selection.perSecond);
    case FrameSelection::Kind::Keyframes:
        return std::make_unique<KeyframePicker>(plan);
    case FrameSelection::Kind::Scenes:
        return std::make_unique<ScenePicker>(plan, selection.sceneThreshold, selection.minGap);
    case FrameSelection::Kind::All:
        break;
    }
    return std::make_unique<StepPicker>(plan, 1);
}

}  // namespace kadrel
