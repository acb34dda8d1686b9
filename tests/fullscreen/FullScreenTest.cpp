// Full-screen mode: entering, the cursor watch and the panel, every way out, and what the
// panel hands back to the main window, on the recording graph; the frame saved from the
// panel and the video surface's round trip on the FFmpeg engine with a generated clip.

#include "FullScreenFixture.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "media/ffmpeg/FilgraphManager.h"
#include "output/SaveFrame.h"
#include "support/MediaGenerator.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QTemporaryDir>

#include <functional>
#include <tuple>

using namespace kadrel;
using namespace kadrel::test;

namespace {

using FullScreen = FullScreenFixture;

class FullScreenOnTheEngine : public FullScreenFixture {
protected:
    FullScreenOnTheEngine() : FullScreenFixture(makeFfmpegGraph) { fake.screen.size = {640, 360}; }
};

void pressEscape(QWidget* target)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    QCoreApplication::sendEvent(target, &press);
}

}  // namespace

TEST_F(FullScreen, EntersWhilePlayingOrPausedInTheFixedOrder)
{
    for (const bool playing : {true, false}) {
        SCOPED_TRACE(playing ? "playing" : "paused and muted");
        open(playing, 4);
        main.mute = !playing;
        main.enableds[Control::cmdseek] = false;
        enter();
        // The panel's copy of the volume slider applies the level, then the switch silences
        // the sound, moves the video and gives the level back unless muted.
        QStringList calls{"get_AvgTimePerFrame", "put_Volume(0)", "put_Volume(-10000)",
                          "put_Width(1920)", "put_Height(1080)", "put_Owner(frmfull)",
                          "put_Volume(0)", "main.Hide"};
        if (!playing)
            calls.removeAt(6);
        EXPECT_EQ(graphs.script->calls, calls);
        EXPECT_EQ(graphs.last->owner, &full());
        EXPECT_EQ(full().geometry(), QRect(0, 0, 1920, 1080));
        EXPECT_TRUE(full().Timer3.enabled());
        EXPECT_EQ(panel().cmdplay1->isHidden(), !playing);
        EXPECT_EQ(panel().Timer1.enabled(), playing);
        EXPECT_FALSE(panel().cmdseek->isEnabled());  // copied from the main window
        EXPECT_EQ(panel().Slider1->value(), 4);
        mode.leave();
    }
}

TEST_F(FullScreen, RefusedEntryLeavesEverythingAsItWas)
{
    for (const bool soundOnly : {true, false}) {
        SCOPED_TRACE(soundOnly ? "sound only" : "switch fails");
        graphs.script->hasVideo = !soundOnly;
        if (!soundOnly)
            graphs.script->failing.insert(QStringLiteral("put_Owner"));
        open(true);
        const int level = soundOnly ? 60 : 40;
        main.setSliderValue(Slider::Slider2, level);
        const QPointer<QWidget> owner = graphs.last->owner;
        EXPECT_FALSE(mode.enter().ok());
        flushDeletes();
        EXPECT_EQ(graphs.last->owner, owner);
        EXPECT_EQ(graphs.last->volume, level * 100 - 10000);
        EXPECT_FALSE(mode.frmfullLoaded() || mode.frmcontrolLoaded());
        EXPECT_TRUE(main.shown && movie.hasMedia());
        EXPECT_FALSE(state.fullScreenActive);
    }
}

TEST_F(FullScreen, APixelMoveShowsThePanelForFourSecondsAndEscThereDoesNothing)
{
    open(true);
    for (const QPoint step : {QPoint(1, 0), QPoint(0, 1), QPoint(-1, 0), QPoint(0, -1)}) {
        SCOPED_TRACE(testing::Message() << step.x() << "," << step.y());
        enter();
        full().Timer3_Timer();
        EXPECT_TRUE(panel().isHidden());  // a still cursor shows nothing
        moveCursor(step);
        EXPECT_TRUE(panel().isVisible());
        moveCursor({5, 5});  // still moving: the four seconds are not started again
        EXPECT_EQ(full().Timer2.countsStarted(), 1);
        EXPECT_EQ(full().Timer2.interval(), 4000);

        full().Timer2_Timer();
        EXPECT_TRUE(panel().isHidden());
        full().Timer3_Timer();  // the reference point is where the cursor came to rest
        EXPECT_TRUE(panel().isHidden());
        moveCursor(step);
        EXPECT_TRUE(panel().isVisible());
        pressEscape(panel().cmdplay1);
        pressEscape(&panel());
        EXPECT_TRUE(state.fullScreenActive);
        mode.leave();
    }
}

// Each way out, twice round: the video comes back, both windows go, and entering again
// makes fresh ones. The end of the media with repeat off leaves the main window paused.
TEST_F(FullScreen, EveryWayOutGivesTheVideoBackAndEntersAgain)
{
    const std::tuple<const char*, std::function<void()>, bool> ways[] = {
        {"Esc", [this] { pressEscape(&full()); }, false},
        {"Normal Size", [this] { panel().cmdnormal->click(); }, false},
        {"end of media", [this] { panel().Timer1_Timer(); }, true},
        {"window manager", [this] { full().close(); }, false},
    };
    open(true);
    main.repeat = false;
    for (int round = 0; round < 2; ++round) {
        for (const auto& [name, leave, pausedAfter] : ways) {
            SCOPED_TRACE(name);
            movie.PlayMedia();
            graphs.last->position = 10.0;  // at the end, which only the panel's timer notices
            main.transport(true, 3);
            enter();
            QPointer<QWidget> fullWindow = &full();
            QPointer<QWidget> panelWindow = &panel();
            moveCursor({1, 0});
            graphs.script->calls.clear();
            leave();
            const QStringList log = graphs.script->calls;
            EXPECT_LT(log.indexOf("put_Owner(Video)"), log.indexOf("main.Show"));
            EXPECT_EQ(graphs.last->owner, &video);
            EXPECT_FALSE(state.fullScreenActive);
            EXPECT_TRUE(main.shown);
            EXPECT_EQ(main.visible(Control::cmdplay), pausedAfter);
            EXPECT_EQ(main.enabled(Control::Timer1), !pausedAfter);
            flushDeletes();
            EXPECT_TRUE(fullWindow.isNull() && panelWindow.isNull());
        }
    }
}

// One at a time: the main window's volume slider applies its level whatever the mute.
TEST_F(FullScreen, MuteOrVolumeSetOnThePanelIsCarriedBack)
{
    for (const bool muting : {false, true}) {
        SCOPED_TRACE(muting ? "mute" : "volume");
        open(true);
        enter();
        if (muting)
            panel().cmdmute->click();
        else
            panel().Slider2->setValue(30);
        panel().cmdnormal->click();
        EXPECT_EQ(main.mute, muting);
        EXPECT_EQ(main.visible(Control::cmdmute1), muting);
        EXPECT_EQ(main.visible(Control::cmdmute), !muting);
        EXPECT_EQ(main.slider(Slider::Slider2).value, 30);
        EXPECT_EQ(graphs.last->volume, muting ? -10000 : -7000);  // muted: the sound stays off
    }
}

TEST_F(FullScreen, AFailedCaptureIsReportedAndTheWatchRunsAgain)
{
    open(true);
    enter();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/frame.bmp"));
    fake.fileDialog.replies.push_back(path);
    panel().cmdcapture->click();

    EXPECT_EQ(main.failedPaths, QStringList{path});
    EXPECT_TRUE(full().Timer3.enabled());
    full().Timer3_Timer();
    EXPECT_TRUE(panel().isHidden());
    moveCursor({1, 0});
    EXPECT_TRUE(panel().isVisible());
}

TEST_F(FullScreen, WhenTheMainTimerEndsTheMediaFirstTheMainWindowStaysPaused)
{
    open(true, 9);
    enter();
    panel().Slider2->setValue(55);
    // The main window's position timer at the end: paused, then full-screen mode left.
    main.transport(false, 10);
    movie.StopMedia();
    (void)movie.SetFullScreen(false, main.mute);  // the state is checked below
    mode.unloadFrmfull();

    EXPECT_TRUE(main.shown);
    EXPECT_TRUE(main.visible(Control::cmdplay));
    EXPECT_FALSE(main.visible(Control::cmdplay1));
    EXPECT_FALSE(main.enabled(Control::Timer1));
    EXPECT_EQ(main.slider(Slider::Slider1).value, 10);
    EXPECT_EQ(main.slider(Slider::Slider2).value, 55);  // the rest still comes back
}

TEST_F(FullScreenOnTheEngine, ThePanelSavesTheFrameOnShowAndTheSurfaceComesBack)
{
    QTemporaryDir dir;
    ClipSpec recipe;
    recipe.frames = 75;  // 3 s
    const QString clip = dir.filePath(QStringLiteral("clip.avi"));
    ASSERT_TRUE(generateClip(recipe, clip).ok());
    ASSERT_TRUE(movie.OpenMedia(clip).ok());
    movie.PauseMedia();
    main.transport(false, 0, 3);
    enter();
    const auto graph =
        std::dynamic_pointer_cast<ffmpeg::FilgraphManager>(movie.session().graphManager);
    ASSERT_TRUE(graph);
    QPointer<QWidget> shown = graph->surface();
    QPointer<QWidget> fullWindow = &full();
    EXPECT_EQ(shown->parentWidget(), fullWindow.data());
    EXPECT_EQ(shown->geometry(), QRect(0, 0, 640, 360));

    panel().cmdstep_Click();
    panel().cmdstep_Click();
    const QString path = dir.filePath(QStringLiteral("frame.bmp"));
    fake.fileDialog.replies.push_back(path);
    bool watchOffAndPanelHidden = false;
    fake.fileDialog.duringDialog = [&] {
        watchOffAndPanelHidden = !full().Timer3.enabled() && panel().isHidden();
        fake.clock.ticks += 1000;  // the user's reading time
    };
    moveCursor({1, 0});
    panel().cmdcapture_Click();
    EXPECT_TRUE(watchOffAndPanelHidden);
    EXPECT_EQ(fake.fileDialog.calls.at(0).request.title, QStringLiteral("Save Frame As..."));
    EXPECT_TRUE(main.failedPaths.isEmpty());
    EXPECT_EQ(frameIndexFromBitmap(path), 50);  // 2 s at 25 frames per second
    EXPECT_TRUE(full().Timer3.enabled());

    mode.leave();
    flushDeletes();
    EXPECT_TRUE(fullWindow.isNull());
    ASSERT_TRUE(shown);  // the surface outlives the full-screen window
    EXPECT_EQ(shown->parentWidget(), &video);
    EXPECT_EQ(shown->geometry(), QRect(0, 0, 329, 241));
}

namespace {

// The picture's place in a grab of the surface, measured on colour bars: its left edge and
// the end of the blue bar (7/8 of its width) on the middle row, its top and bottom on the
// white bar.
QRect measuredPicture(const QImage& shot)
{
    const auto lit = [&](int x, int y) {
        const QRgb pixel = shot.pixel(x, y);
        return qGray(pixel) > 40 || qBlue(pixel) > 80;
    };
    const int row = shot.height() / 2;
    int left = 0;
    while (left < shot.width() && !lit(left, row))
        ++left;
    int blueEnd = shot.width() - 1;
    while (blueEnd > left && !lit(blueEnd, row))
        --blueEnd;
    const int column = left + 2;
    int top = 0;
    while (top < shot.height() && !lit(column, top))
        ++top;
    int bottom = shot.height() - 1;
    while (bottom > top && !lit(column, bottom))
        --bottom;
    const int width = qRound((blueEnd - left + 1) * 8.0 / 7.0);
    return {left, top, width, bottom - top + 1};
}

}  // namespace

// Each picture is shown at its display aspect ratio (its sample aspect ratio applied), as
// large as the picture box or the screen allows, centred between black bars; the surface
// still covers its host, and saved frames keep the stored size.
TEST_F(FullScreenOnTheEngine, ThePictureKeepsItsAspectCentredBetweenBlackBars)
{
    const struct { int width, height, sarNum, sarDen; } clips[] = {
        {320, 180, 1, 1}, {160, 120, 4, 3}, {120, 160, 1, 1}, {160, 120, 1, 1}};
    QTemporaryDir dir;
    for (const auto& c : clips) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.sarNum << ":"
                                        << c.sarDen);
        const QString clip = dir.filePath(QStringLiteral("bars%1.avi").arg(c.width * c.sarNum));
        ClipSpec recipe{.content = ClipSpec::Content::ColourBars, .width = c.width,
                        .height = c.height, .frames = 10};
        recipe.sampleAspectNum = c.sarNum;
        recipe.sampleAspectDen = c.sarDen;
        ASSERT_TRUE(generateClip(recipe, clip).ok());
        ASSERT_TRUE(movie.OpenMedia(clip).ok());
        movie.PauseMedia();
        main.transport(false, 0, 0);
        const double aspect = double(c.width) * c.sarNum / (double(c.height) * c.sarDen);
        for (const bool fullScreen : {false, true}) {
            SCOPED_TRACE(fullScreen ? "full screen" : "picture box");
            if (fullScreen)
                enter();
            const auto graph =
                std::dynamic_pointer_cast<ffmpeg::FilgraphManager>(movie.session().graphManager);
            QWidget* surface = graph->surface();
            const QSize host = fullScreen ? QSize(640, 360) : video.size();
            EXPECT_EQ(surface->geometry(), QRect(QPoint(0, 0), host));
            const QRect picture = measuredPicture(surface->grab().toImage());
            EXPECT_NEAR(double(picture.width()) / picture.height(), aspect, 0.03);
            EXPECT_TRUE(picture.width() >= host.width() - 1
                        || picture.height() >= host.height() - 1);
            EXPECT_NEAR(picture.left(), host.width() - picture.right() - 1, 2);
            EXPECT_NEAR(picture.top(), host.height() - picture.bottom() - 1, 2);
        }
        mode.leave();
        const QString bmp = dir.filePath(QStringLiteral("frame.bmp"));
        ASSERT_TRUE(saveFrame(movie, bmp).ok());
        EXPECT_EQ(QFileInfo(bmp).size(), 54 + 4 * c.width * c.height);
        movie.CloseMedia();
    }
}
