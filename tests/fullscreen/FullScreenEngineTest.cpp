// Full-screen mode on the FFmpeg engine and a generated clip: the real video surface moves
// into the full-screen window and back, survives the window, and the panel saves exactly
// the frame on show.

#include "FakeMainWindow.h"
#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"
#include "fullscreen/frmfull.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "media/ffmpeg/FilgraphManager.h"
#include "support/FakePlatform.h"
#include "support/MediaGenerator.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QSlider>
#include <QTemporaryDir>

using namespace kadrel;
using namespace kadrel::test;

namespace {

class FullScreenOnTheEngine : public ::testing::Test {
protected:
    FullScreenOnTheEngine()
        : movie(state, fake.screen, makeFfmpegGraph, [] {}),
          main(state, movie, log),
          mode(state, movie, fake.platform(), main, [] {})
    {
        fake.screen.size = QSize(640, 360);
        video.setObjectName(QStringLiteral("Video"));
        video.resize(329, 241);
        movie.setVideoHost(&video);
        movie.setFullScreenHost(mode.hostLoader());
    }

    // A three-second clip, open and paused at its start.
    void openPausedClip()
    {
        ClipSpec recipe;
        recipe.frames = 75;
        const QString clip = dir.filePath(QStringLiteral("clip.avi"));
        ASSERT_TRUE(generateClip(recipe, clip).ok());
        ASSERT_TRUE(movie.OpenMedia(clip).ok());
        movie.PauseMedia();
        main.paused(3, 0);
    }

    QWidget* surface() const
    {
        const auto graph = std::dynamic_pointer_cast<ffmpeg::FilgraphManager>(
            movie.session().graphManager);
        return graph ? graph->surface() : nullptr;
    }

    QTemporaryDir dir;
    QStringList log;
    ProgramState state;
    FakePlatform fake;
    QWidget video;
    ActiveMovieControl movie;
    FakeMainWindow main;
    FullScreenMode mode;
};

}  // namespace

TEST_F(FullScreenOnTheEngine, TheSurfaceFillsTheScreenAndOutlivesTheFullScreenWindow)
{
    openPausedClip();
    ASSERT_TRUE(mode.enter().ok());
    QPointer<QWidget> shown = surface();
    ASSERT_TRUE(shown);
    QPointer<QWidget> full = &mode.frmfull();
    EXPECT_EQ(shown->parentWidget(), full.data());
    EXPECT_EQ(shown->geometry(), QRect(0, 0, 640, 360));

    mode.leave();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(full.isNull());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->parentWidget(), &video);
    EXPECT_EQ(shown->geometry(), QRect(0, 0, 329, 241));
}

TEST_F(FullScreenOnTheEngine, ThePanelSavesTheFrameOnShow)
{
    openPausedClip();
    ASSERT_TRUE(mode.enter().ok());
    frmcontrol& panel = mode.frmcontrol();
    panel.cmdstep_Click();
    panel.cmdstep_Click();
    ASSERT_EQ(panel.Slider1->value(), 2);

    const QString path = dir.filePath(QStringLiteral("frame.bmp"));
    fake.fileDialog.replies.push_back(path);
    panel.cmdcapture_Click();
    EXPECT_TRUE(main.captureFailures.empty());
    EXPECT_EQ(frameIndexFromBitmap(path), 50);  // 2 s at 25 frames per second
    EXPECT_TRUE(mode.frmfull().Timer3.enabled());
    mode.leave();
}
