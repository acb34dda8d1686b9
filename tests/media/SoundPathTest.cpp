// The sound path on a fake device in virtual time: the clock keeps normal speed, never steps
// back, and what is heard stays in step with it, whatever the sound or the device does.

#include "media/ffmpeg/AudioOutput.h"
#include "media/ffmpeg/AudioResampler.h"
#include "media/ffmpeg/MediaClock.h"
#include "media/FakeSoundSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>

namespace kadrel {
namespace {

using ffmpeg::SoundChunk;
using test::FakeSoundSink;

constexpr int kRate = 8000;
constexpr double kChunk = 0.02;
constexpr double kStep = 0.005;  // the engine's tick

// Every sample tells the millisecond of the time line it belongs to (silence is 0).
int16_t sampleAt(double t) { return static_cast<int16_t>(1 + std::lround(t * 1000)); }
double timeOf(int16_t sample) { return (sample - 1) / 1000.0; }

struct Segment {
    double start, end;
};

// The decoded sound in chunks, none handed out in the withheld stretch (a starved decoder).
class FakeSource final : public ffmpeg::SoundSource {
public:
    FakeSource(const std::vector<Segment>& segments, Segment withheld, const double& now)
        : m_withheld(withheld), m_now(now)
    {
        for (const Segment& s : segments)
            for (double t = s.start; t < s.end - 1e-9; t += kChunk) {
                SoundChunk chunk{{}, t, 0};
                for (int i = 0; i < std::lround(kChunk * kRate); ++i) {
                    const int16_t v = sampleAt(t + double(i) / kRate);
                    chunk.samples.insert(chunk.samples.end(), {v, v});
                }
                m_chunks.push_back(std::move(chunk));
            }
    }
    bool takeSound(SoundChunk& chunk) override
    {
        if (m_chunks.empty() || (m_now >= m_withheld.start && m_now < m_withheld.end))
            return false;
        chunk = std::move(m_chunks.front());
        m_chunks.pop_front();
        return true;
    }

private:
    std::deque<SoundChunk> m_chunks;
    Segment m_withheld;
    const double& m_now;
};

struct Case {
    const char* name;
    std::vector<Segment> sound;
    Segment withheld = {-1, -1};
    int reportStep = 1;           // frames
    double runFor = 4.0;          // the picture's length, or the sound's when longer
    Segment silentAt = {-1, -1};  // a stretch that must be heard as silence
    Segment stuck = {-1, -1};     // the device plays nothing (at the start: slow to start)
    double maxLoss = 0.05;        // how far the clock may fall behind real time
};

class SoundPath : public ::testing::TestWithParam<Case> {};

TEST_P(SoundPath, ClockKeepsTimeAndTheSoundKeepsStep)
{
    const Case& c = GetParam();
    double now = 0.0;  // the monotonic clock, virtual
    auto owned = std::make_unique<FakeSoundSink>(
        FakeSoundSink::Options{.rate = kRate, .reportStep = c.reportStep});
    FakeSoundSink* sink = owned.get();
    const auto state = sink->state();
    ffmpeg::AudioOutput output(std::move(owned));
    ffmpeg::MediaClock clock([&] { return now; });
    FakeSource source(c.sound, c.withheld, now);
    clock.set(0.0);
    clock.start();

    double last = 0.0;
    double worst = 0.0;
    bool silenceHeard = false;
    while (now < c.runFor - 1e-9) {
        output.play(source, clock);
        const double shown = clock.now();
        ASSERT_GE(shown, last) << "the clock stepped back at " << now;
        last = shown;
        const size_t before = state->heard.size();
        state->stalled = now >= c.stuck.start && now < c.stuck.end;
        sink->play(std::lround(kStep * kRate));
        now += kStep;
        if (state->heard.size() == before)
            continue;
        const int16_t first = state->heard[before];
        if (first == 0) {
            silenceHeard |= shown >= c.silentAt.start && shown < c.silentAt.end;
            continue;
        }
        EXPECT_TRUE(shown < c.silentAt.start || shown >= c.silentAt.end)
            << "sound in the silent stretch at " << shown;
        // The first 0.3 s after the sound (re)starts may lag.
        const auto settling = [&](Segment s) { return now >= s.start && now < s.end + 0.3; };
        if (now > 0.3 && !settling(c.withheld) && !settling(c.stuck))
            worst = std::max(worst, std::abs(timeOf(first) - shown));
    }
    EXPECT_GT(clock.now(), c.runFor - c.maxLoss);
    EXPECT_LT(clock.now(), c.runFor + 0.05);
    EXPECT_LT(worst, 0.05) << "sound and clock drifted apart";
    EXPECT_TRUE(silenceHeard || c.silentAt.start < 0);
    // Every sound available in time was played, each sample once at most.
    double lastHeard = -1.0;
    long sounding = 0;
    for (int16_t v : state->heard)
        if (v != 0) {
            ASSERT_GT(timeOf(v), lastHeard - 1e-3) << "a sample was heard twice";
            lastHeard = timeOf(v);
            ++sounding;
        }
    double available = 0.0;
    for (const Segment& s : c.sound)
        available += std::min(s.end, c.runFor) - s.start;
    const double withheld = std::max(0.0, c.withheld.end - c.withheld.start);
    const double stuck = std::max(0.0, c.stuck.end - c.stuck.start);
    EXPECT_GT(sounding, (available - withheld - stuck - 0.25) * kRate);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SoundPath,
    ::testing::Values(
        Case{.name = "Shorter", .sound = {{0.0, 2.0}}},
        Case{.name = "Longer", .sound = {{0.0, 6.0}}, .runFor = 6.0},
        Case{.name = "LateStart", .sound = {{1.0, 4.0}}, .silentAt = {0.1, 0.95}},
        Case{.name = "Gaps", .sound = {{0.0, 1.0}, {1.5, 2.5}, {3.0, 4.0}},
             .silentAt = {1.05, 1.45}},
        Case{.name = "Underrun", .sound = {{0.0, 4.0}}, .withheld = {1.0, 1.6}},
        Case{.name = "CoarseReports", .sound = {{0.0, 4.0}}, .reportStep = 800},
        Case{.name = "DeviceSlowToStart", .sound = {{0.0, 4.0}}, .stuck = {0.0, 0.6},
             .maxLoss = 0.65},
        Case{.name = "DeviceStuckAtStartForLong", .sound = {{0.0, 4.0}}, .stuck = {0.0, 1.8},
             .maxLoss = 1.05},
        Case{.name = "DeviceStallsMidway", .sound = {{0.0, 4.0}}, .stuck = {1.5, 2.1},
             .maxLoss = 0.3}),
    [](const auto& info) { return std::string(info.param.name); });

// The resampler hands out all it holds at the end, and forgets it on a move.
TEST(SoundResampler, DrainedAtTheEndResetOnMoves)
{
    ffmpeg::AudioResampler resampler;
    resampler.setOutput(48000, 2);
    const ffmpeg::FramePtr frame = ffmpeg::makeFrame();
    frame->format = AV_SAMPLE_FMT_S16;
    frame->sample_rate = 44100;
    frame->nb_samples = 1024;
    av_channel_layout_default(&frame->ch_layout, 2);
    ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    std::fill_n(reinterpret_cast<int16_t*>(frame->data[0]), 2 * 1024, int16_t{1000});

    const auto firstOut = [&] {
        std::vector<int16_t> out;
        EXPECT_TRUE(resampler.convert(frame.get(), out));
        return out.size();
    };
    const size_t fresh = firstOut();
    std::vector<int16_t> all(fresh);
    for (int i = 1; i < 10; ++i)
        ASSERT_TRUE(resampler.convert(frame.get(), all));
    ASSERT_TRUE(resampler.drain(all));
    EXPECT_NEAR(double(all.size()) / 2, 10 * 1024 * 48000.0 / 44100, 2.0);

    ASSERT_TRUE(resampler.convert(frame.get(), all));
    resampler.reset();
    EXPECT_EQ(firstOut(), fresh);
}

}  // namespace
}  // namespace kadrel
