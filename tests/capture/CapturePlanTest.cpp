// Which frames a bulk run writes, under which names, and the step that brings each one up.

#include "capture/CapturePlan.h"
#include "media/ActiveMovieControl.h"
#include "support/FakeGraph.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <vector>

namespace kadrel {
namespace {

// The frame numbers a run over plan writes, by the run's own arithmetic.
std::vector<int> framesWritten(const CapturePlan& plan)
{
    std::vector<int> frames;
    for (double t = plan.startTime; plan.includes(t); t = plan.next(t))
        frames.push_back(plan.frameNumber(t).value());
    return frames;
}

void expectRun(const CapturePlan& plan, int first, int last)
{
    const std::vector<int> frames = framesWritten(plan);
    ASSERT_EQ(frames.size(), static_cast<size_t>(last - first + 1));
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(frames[i], first + static_cast<int>(i));
}

TEST(CapturePlan, WholeVideoRunsFromZeroToTheFrameAtTheEnd)
{
    const CapturePlan tenSeconds = CapturePlan::wholeVideo(10.0, 0.04);
    expectRun(tenSeconds, 0, 250);
    EXPECT_EQ(tenSeconds.lastFrameNumber().value(), 250);

    // The 25th addition of 0.04 ends just above 1: frame 25 is not written.
    const CapturePlan oneSecond = CapturePlan::wholeVideo(1.0, 0.04);
    expectRun(oneSecond, 0, 24);
    EXPECT_EQ(oneSecond.lastFrameNumber().value(), 25);
}

TEST(CapturePlan, RangesFollowTheRepeatedAddition)
{
    expectRun(CapturePlan::range(10, 20, 1.0 / 30), 10, 20);
    // The 100th addition ends just above 8 s: frame 200 is left out.
    expectRun(CapturePlan::range(100, 200, 0.04), 100, 199);
    expectRun(CapturePlan::range(0, 1, 0.04), 0, 1);
    EXPECT_EQ(CapturePlan::range(100, 200, 0.04).firstFrame, 100);
    EXPECT_EQ(CapturePlan::range(100, 200, 0.04).lastFrameNumber().value(), 200);
}

TEST(CapturePlan, FrameNumbersRoundHalfToEven)
{
    const CapturePlan plan = CapturePlan::wholeVideo(10.0, 0.5);
    EXPECT_EQ(plan.frameNumber(1.25).value(), 2);
    EXPECT_EQ(plan.frameNumber(1.75).value(), 4);
}

TEST(CapturePlan, AFrameTimeOfZeroIsADivisionByZero)
{
    const CapturePlan plan = CapturePlan::wholeVideo(10.0, 0.0);
    EXPECT_EQ(plan.frameNumber(0.0).status().number(), kDivisionByZeroError);
    EXPECT_EQ(plan.lastFrameNumber().status().number(), kDivisionByZeroError);
}

TEST(CapturePlan, FilesAreNamedFrameAndTheNumber)
{
    EXPECT_EQ(frameFilePath(QStringLiteral("/out"), 0), QStringLiteral("/out/frame0.bmp"));
    EXPECT_EQ(frameFilePath(QStringLiteral("/out"), 250), QStringLiteral("/out/frame250.bmp"));
    EXPECT_EQ(frameFilePath(QStringLiteral("/out/"), 7), QStringLiteral("/out//frame7.bmp"));
}

class CaptureStep : public ::testing::Test {
protected:
    ProgramState state;
    test::FixedScreen screen;
    test::FakeGraphFactory graphs;
    ActiveMovieControl control{state, screen, graphs.factory(), [] {}};
};

TEST_F(CaptureStep, RunsMovesAndPausesInThatOrder)
{
    ASSERT_TRUE(control.OpenMedia(QStringLiteral("/media/clip.avi")));
    control.PauseMedia();
    graphs.script->calls.clear();
    ASSERT_TRUE(moveToCaptureTime(control, 1.48));
    const QStringList& calls = graphs.script->calls;
    ASSERT_FALSE(calls.isEmpty());
    EXPECT_EQ(calls.last(), QStringLiteral("Pause"));
    const qsizetype run = calls.indexOf(QStringLiteral("Run"));
    const qsizetype move = calls.indexOf(QStringLiteral("put_CurrentPosition(1.48)"));
    ASSERT_GE(run, 0);
    EXPECT_GT(move, run);
    EXPECT_FALSE(control.session().playing);
}

TEST_F(CaptureStep, AFailedMoveGoesToTheCaller)
{
    ASSERT_TRUE(control.OpenMedia(QStringLiteral("/media/clip.avi")));
    graphs.script->failing << QStringLiteral("put_CurrentPosition");
    EXPECT_FALSE(moveToCaptureTime(control, 2.0));
}

}  // namespace
}  // namespace kadrel
