// The engine on the files people really have: long sound (on a fake device in real time), a
// device that stalls while a move waits, files cut short.

#include "media/FakeSoundSink.h"
#include "media/MediaErrors.h"
#include "media/ffmpeg/AudioOutput.h"
#include "media/ffmpeg/FilgraphManager.h"
#include "support/EngineClips.h"

#include <QTest>

#include <gtest/gtest.h>

namespace kadrel {
namespace {

using namespace test;
using ffmpeg::FilgraphManager;
using Codec = ClipSpec::Codec;
constexpr double T = kFrameTime;

// A graph whose sound goes to a real-time fake device; state sees what the device did.
std::unique_ptr<FilgraphManager> renderWithSink(const QString& path,
                                                std::shared_ptr<FakeSoundSink::State>& state)
{
    auto graph = std::make_unique<FilgraphManager>([&] {
        auto sink = std::make_unique<FakeSoundSink>(
            FakeSoundSink::Options{.rate = 48000, .buffer = 0.1, .realTime = true});
        state = sink->state();
        return std::make_unique<ffmpeg::AudioOutput>(std::move(sink));
    });
    const Status s = graph->RenderFile(path);
    EXPECT_TRUE(s.ok() && state) << qPrintable(s.text());
    return graph;
}

// A sound that runs on: the position runs to its end, never back, and the picture's last
// frame stays on show (a sound that stops first is PulsePlaybackTest's, on a real device).
TEST(RealWorldFiles, PlaysToTheEndOfTheLongerSound)
{
    const ClipSpec recipe{.frames = 25, .withAudio = true, .soundSeconds = 2.0};
    std::shared_ptr<FakeSoundSink::State> device;
    auto graph = renderWithSink(clip("long-sound.mkv", recipe), device);
    ASSERT_TRUE(device);
    const double duration = graph->get_Duration().value();
    ASSERT_TRUE(graph->Run());
    double last = 0.0;
    bool backwards = false;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const double now = graph->get_CurrentPosition().value();
            backwards |= now < last;
            last = now;
            return now >= duration;
        },
        int(duration * 1000) + 5000))
        << "stuck at " << last << " of " << duration;
    EXPECT_FALSE(backwards);
    EXPECT_EQ(frameOnShow(*graph).valueOr(-1), recipe.frames - 1);
    EXPECT_FALSE(device->heard.empty());
}

// A move while playing gets its frame though the device stalls and the sound read ahead is full.
TEST(RealWorldFiles, MoveWhileTheDeviceStalls)
{
    std::shared_ptr<FakeSoundSink::State> device;
    const ClipSpec recipe{.codec = Codec::H264, .frames = 250, .gop = 250, .withAudio = true};
    auto graph = renderWithSink(clip("one-keyframe.mkv", recipe), device);
    ASSERT_TRUE(device);
    device->stalled = true;
    ASSERT_TRUE(graph->Run());
    QTest::qWait(300);  // the sound queue fills up
    for (int k : {75, 150}) {
        ASSERT_TRUE(graph->put_CurrentPosition(k * T));
        EXPECT_EQ(frameOnShow(*graph).valueOr(-1), k);
    }
}

// Cut short: each frame shows its own picture until the first that fails, with its number,
// and every later one fails alike; a cut MP4 keeps its length and plays to its last picture.
TEST(RealWorldFiles, FilesCutShortGiveNoCopies)
{
    const std::pair<const char*, ClipSpec> cases[] = {
        {"cut.mp4", {.codec = Codec::H264, .width = 320, .height = 240, .frames = 100,
                     .faststart = true}},
        {"cut.mkv", {.codec = Codec::H264, .width = 320, .height = 240, .frames = 100,
                     .withAudio = true}},
        {"cut.webm", {.codec = Codec::Vp8, .width = 320, .height = 240, .frames = 100}}};
    for (const auto& [file, recipe] : cases)
        for (const double keep : {0.35, 0.5, 0.8}) {
            SCOPED_TRACE(testing::Message() << file << " cut at " << keep);
            FilgraphManager graph;
            const Status rendered = graph.RenderFile(cutCopy(clip(file, recipe), keep));
            ASSERT_TRUE(rendered) << qPrintable(rendered.text());
            const double videoEnd = graph.get_VideoEnd().value();
            int missing = -1;
            for (int k = 0; k + 0.5 < videoEnd / T; ++k) {
                ASSERT_TRUE(graph.Run() && graph.put_CurrentPosition(k * T) && graph.Pause());
                const Result<int> shown = frameOnShow(graph);
                missing = shown || missing >= 0 ? missing : k;
                if (shown) {
                    ASSERT_EQ(missing, -1) << "frame " << k << " after a missing one";
                    ASSERT_EQ(shown.value(), k);
                    continue;
                }
                EXPECT_EQ(shown.status().number(), mediaerror::kMissingFrame);
                ASSERT_EQ(shown.status().description(),
                          QStringLiteral("The file ends before frame %1").arg(missing));
            }
            if (QByteArray(file) != "cut.mp4" || keep != 0.5)
                continue;
            EXPECT_NEAR(graph.get_Duration().value(), 4.0, T);
            ASSERT_GT(missing, 3);
            ASSERT_TRUE(graph.put_CurrentPosition((missing - 3) * T) && graph.Run());
            EXPECT_TRUE(QTest::qWaitFor([&] { return graph.get_CurrentPosition().value() >= 4.0; },
                                        int((100 - missing) * T * 1000) / 2));
            EXPECT_EQ(frameOnShow(graph).valueOr(-1), missing - 1);
        }
}

}  // namespace
}  // namespace kadrel
