// The control panel: its layout on any screen, its copies of the transport, mute and
// volume, the frame capture, the end of the media, and the state copies to and from the
// main window.

#include "FullScreenFixture.h"

#include "common/Twips.h"
#include "common/mCommon.h"

#include <QFile>
#include <QFrame>
#include <QTemporaryDir>

using namespace kadrel;
using namespace kadrel::test;

namespace {

using Control = MainWindowLink::Control;
using Slider = MainWindowLink::Slider;
using PanelTransport = FullScreenFixture;
using PanelCapture = FullScreenFixture;
using EndOfMedia = FullScreenFixture;
using StateCopies = FullScreenFixture;

struct Screen {
    QSize size;
    double twipsPerPixel;
};

class PanelLayout : public FullScreenFixture, public ::testing::WithParamInterface<Screen> {};

}  // namespace

TEST_P(PanelLayout, StretchesOverTheScreenWithThePositionSliderEnding130TwipsShort)
{
    const Screen screen = GetParam();
    fake.screen.size = screen.size;
    fake.screen.tpp = {screen.twipsPerPixel, screen.twipsPerPixel};
    const double tpp = screen.twipsPerPixel;
    openPlaying();
    enter();

    EXPECT_EQ(full().geometry(), QRect(QPoint(0, 0), screen.size));
    EXPECT_EQ(panel().geometry(), QRect(0, 0, screen.size.width(), px(600, tpp)));
    const QRect slider(panel().Slider1->mapTo(&panel(), QPoint(0, 0)), panel().Slider1->size());
    EXPECT_NEAR(slider.left(), 4790 / tpp, 1.0);
    EXPECT_NEAR(slider.left() + slider.width(), (screen.size.width() * tpp - 130) / tpp, 1.0);
    // The frame's border lies outside the strip on every side but the bottom.
    const QRect frame = panel().Frame1->geometry();
    EXPECT_LT(frame.left(), 0);
    EXPECT_LT(frame.top(), 0);
    EXPECT_GT(frame.right(), screen.size.width());
    EXPECT_EQ(panel().cmdcapture->geometry(), pxRect(3120, 240, 375, 375, fake.screen.tpp));
    EXPECT_EQ(panel().Slider2->geometry(), pxRect(3540, 240, 1155, 390, fake.screen.tpp));
    EXPECT_EQ(panel().cmdmute1->geometry(), panel().cmdmute->geometry());
}

INSTANTIATE_TEST_SUITE_P(Screens, PanelLayout,
                         ::testing::Values(Screen{{1920, 1080}, 15.0}, Screen{{1366, 768}, 15.0},
                                           Screen{{2560, 1440}, 12.0}, Screen{{800, 600}, 15.0}));

TEST_F(PanelTransport, PlayAndPauseActOnlyFromTheOtherState)
{
    openPlaying();
    enter();
    clearCalls();
    panel().cmdplay_Click();
    EXPECT_TRUE(calls().isEmpty());

    panel().cmdplay1_Click();
    EXPECT_EQ(calls(), QStringList({"Pause"}));
    EXPECT_TRUE(state.paused);
    EXPECT_FALSE(panel().Timer1.enabled());
    EXPECT_FALSE(panel().cmdplay->isHidden());
    EXPECT_TRUE(panel().cmdplay1->isHidden());
    clearCalls();
    panel().cmdplay1_Click();
    EXPECT_TRUE(calls().isEmpty());

    panel().cmdplay_Click();
    EXPECT_TRUE(calls().contains("Run"));
    EXPECT_FALSE(state.paused);
    EXPECT_TRUE(panel().Timer1.enabled());
    EXPECT_TRUE(panel().cmdplay->isHidden());
    // The main window's controls are left alone until the panel goes.
    EXPECT_FALSE(calls().join(' ').contains("main."));
}

TEST_F(PanelTransport, MovesWhilePausedSeekSilentlyAndStopAtTheLimits)
{
    openPaused(0);
    main.setSliderValue(Slider::Slider2, 30);
    enter();
    clearCalls();
    panel().cmdback_Click();
    panel().cmdseek_Click();
    EXPECT_TRUE(calls().isEmpty());

    panel().cmdstep_Click();
    EXPECT_EQ(panel().Slider1->value(), 1);
    // The level the volume slider shows comes back after the seek.
    EXPECT_EQ(calls(), QStringList({"put_Volume(-10000)", "get_CurrentPosition",
                                    "get_CurrentPosition", "Run", "put_CurrentPosition(1)",
                                    "Pause", "put_Volume(-7000)"}));
    EXPECT_TRUE(state.paused);

    panel().cmdnext_Click();
    EXPECT_EQ(panel().Slider1->value(), 10);
    EXPECT_DOUBLE_EQ(graphs.last->position, 10.0);
    clearCalls();
    panel().cmdstep_Click();
    EXPECT_TRUE(calls().isEmpty());

    main.mute = true;
    panel().cmdseek_Click();
    EXPECT_EQ(calls().last(), "put_Volume(-10000)");  // muted: stays silent
}

TEST_F(PanelTransport, MovesWhilePlayingRestartTheTimerAlsoAtTheLimit)
{
    openPlaying(5);
    enter();
    clearCalls();
    const int counts = panel().Timer1.countsStarted();
    panel().cmdseek_Click();
    EXPECT_EQ(panel().Slider1->value(), 4);
    EXPECT_EQ(calls(), QStringList({"put_CurrentPosition(4)"}));
    EXPECT_TRUE(panel().Timer1.enabled());
    EXPECT_EQ(panel().Timer1.countsStarted(), counts + 1);

    panel().cmdnext_Click();
    EXPECT_DOUBLE_EQ(graphs.last->position, 10.0);
    clearCalls();
    panel().cmdstep_Click();
    EXPECT_TRUE(calls().isEmpty());
    EXPECT_TRUE(panel().Timer1.enabled());
    EXPECT_EQ(panel().Timer1.countsStarted(), counts + 3);
}

TEST_F(PanelTransport, HoldingThePositionSliderStopsItsTimerUntilTheClick)
{
    openPlaying();
    enter();
    panel().Slider1_MouseDown();
    EXPECT_FALSE(panel().Timer1.enabled());
    EXPECT_TRUE(state.positionHeld);

    panel().Slider1->setValue(7);
    panel().Slider1_Click();
    EXPECT_DOUBLE_EQ(graphs.last->position, 7.0);
    EXPECT_FALSE(state.positionHeld);
    EXPECT_TRUE(panel().Timer1.enabled());
    EXPECT_TRUE(state.fullScreenActive);
}

TEST_F(PanelTransport, VolumeChangesAtOnceAndTheMainSliderShowsItAfterwards)
{
    openPlaying();
    enter();
    panel().Slider2->setValue(30);
    EXPECT_EQ(graphs.last->volume, -7000);
    EXPECT_EQ(state.volumeLevel, 30);

    mode.leave();
    EXPECT_EQ(main.slider(Slider::Slider2).value, 30);
    EXPECT_EQ(graphs.last->volume, -7000);
}

TEST_F(PanelTransport, MuteTogglesTheMainCheckMarkAndThePanelButtons)
{
    openPlaying();
    main.setSliderValue(Slider::Slider2, 40);
    enter();
    panel().cmdmute_Click();
    EXPECT_TRUE(main.mute);
    EXPECT_TRUE(state.muted);
    EXPECT_TRUE(panel().cmdmute->isHidden());
    EXPECT_FALSE(panel().cmdmute1->isHidden());
    EXPECT_EQ(graphs.last->volume, -10000);

    panel().cmdmute1_Click();
    EXPECT_FALSE(main.mute);
    EXPECT_FALSE(state.muted);
    EXPECT_FALSE(panel().cmdmute->isHidden());
    EXPECT_TRUE(panel().cmdmute1->isHidden());
    EXPECT_EQ(graphs.last->volume, -6000);
}

TEST_F(PanelCapture, SavesTheFrameWithTheWatchOffDuringTheDialog)
{
    openPlaying();
    enter();
    moveCursor(1, 0);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("frame.bmp"));
    fake.fileDialog.replies.push_back(path);
    bool watchOff = false;
    bool panelHidden = false;
    fake.fileDialog.duringDialog = [&] {
        watchOff = !full().Timer3.enabled();
        panelHidden = panel().isHidden();
        fake.cursor.position += QPoint(40, 30);  // to the dialog's buttons
        fake.clock.ticks += 1000;
    };
    panel().cmdcapture_Click();

    EXPECT_TRUE(watchOff);
    EXPECT_TRUE(panelHidden);
    EXPECT_TRUE(state.paused);
    EXPECT_FALSE(panel().cmdplay->isHidden());
    ASSERT_EQ(fake.fileDialog.calls.size(), 1u);
    const FileDialogRequest& request = fake.fileDialog.calls[0].request;
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.title, QStringLiteral("Save Frame As..."));
    EXPECT_EQ(request.nameFilters, ConvertFilter(QStringLiteral("Bitmap Files (*.bmp)|*.bmp|")));
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("bmp"));
    EXPECT_TRUE(request.proposedName.isEmpty());
    EXPECT_EQ(QFile(path).size(), 54 + 4 * 32 * 24);
    EXPECT_TRUE(main.captureFailures.empty());

    // Back on the full-screen window: the panel waits for the next movement.
    EXPECT_TRUE(full().Timer3.enabled());
    full().Timer3_Timer();
    EXPECT_TRUE(panel().isHidden());
    moveCursor(0, 1);
    EXPECT_TRUE(panel().isVisible());
}

TEST_F(PanelCapture, CancellingWritesNothingAndLeavesTheMediaPaused)
{
    openPlaying();
    enter();
    clearCalls();
    panel().cmdcapture_Click();
    EXPECT_FALSE(calls().join(' ').contains("GetCurrentImage"));
    EXPECT_TRUE(state.paused);
    EXPECT_TRUE(full().Timer3.enabled());
    EXPECT_TRUE(main.captureFailures.empty());
}

TEST_F(PanelCapture, AFailedSaveIsReportedAndThePanelKeepsWorking)
{
    openPlaying();
    enter();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/frame.bmp"));
    fake.fileDialog.replies.push_back(path);
    panel().cmdcapture_Click();

    ASSERT_EQ(main.captureFailures.size(), 1u);
    EXPECT_EQ(main.captureFailures[0].path, path);
    EXPECT_FALSE(main.captureFailures[0].failure.ok());
    EXPECT_FALSE(main.captureFailures[0].failure.description().isEmpty());
    EXPECT_TRUE(full().Timer3.enabled());
    full().Timer3_Timer();
    EXPECT_TRUE(panel().isHidden());
    moveCursor(1, 0);
    EXPECT_TRUE(panel().isVisible());
}

TEST_F(EndOfMedia, WithRepeatOffThePanelReturnsToTheMainWindowPaused)
{
    openPlaying(9);
    main.repeat = false;
    enter();
    graphs.last->position = 10.0;
    panel().Timer1_Timer();

    EXPECT_TRUE(calls().contains("Stop"));
    EXPECT_DOUBLE_EQ(graphs.last->position, 0.0);
    EXPECT_EQ(graphs.last->owner, &video);
    EXPECT_FALSE(state.fullScreenActive);
    EXPECT_TRUE(main.shown);
    EXPECT_FALSE(mode.frmfullLoaded());
    EXPECT_FALSE(mode.frmcontrolLoaded());
    EXPECT_TRUE(state.paused);
    EXPECT_TRUE(main.visible(Control::cmdplay));
    EXPECT_FALSE(main.visible(Control::cmdplay1));
    EXPECT_FALSE(main.enabled(Control::Timer1));
    EXPECT_EQ(main.slider(Slider::Slider1).value, 10);
}

TEST_F(EndOfMedia, APositionPastTheSliderMaximumCountsAsTheEnd)
{
    openPlaying(9);
    main.repeat = false;
    enter();
    graphs.script->duration = 10.6;
    graphs.last->position = 10.6;
    panel().Timer1_Timer();
    EXPECT_FALSE(state.fullScreenActive);
    EXPECT_TRUE(main.shown);
}

TEST_F(EndOfMedia, WithRepeatOnPlaybackStartsAgainInFullScreen)
{
    openPlaying(9);
    enter();
    graphs.last->position = 10.0;
    clearCalls();
    panel().Timer1_Timer();

    EXPECT_EQ(calls().first(), "get_CurrentPosition");
    EXPECT_TRUE(calls().contains("Stop"));
    EXPECT_EQ(calls().last(), "Run");
    EXPECT_DOUBLE_EQ(graphs.last->position, 0.0);
    EXPECT_TRUE(state.fullScreenActive);
    EXPECT_FALSE(state.paused);
    EXPECT_TRUE(panel().cmdplay->isHidden());
    EXPECT_TRUE(panel().Timer1.enabled());
}

TEST_F(EndOfMedia, WhenTheMainTimerEndsItFirstTheMainWindowStaysPaused)
{
    openPlaying(9);
    main.repeat = false;
    enter();
    panel().Slider2->setValue(55);
    main.timerEndsMedia(mode);

    EXPECT_EQ(graphs.last->owner, &video);
    EXPECT_TRUE(main.shown);
    EXPECT_FALSE(mode.frmcontrolLoaded());
    EXPECT_TRUE(state.paused);
    EXPECT_TRUE(main.visible(Control::cmdplay));
    EXPECT_FALSE(main.visible(Control::cmdplay1));
    EXPECT_FALSE(main.enabled(Control::Timer1));
    EXPECT_EQ(main.slider(Slider::Slider1).value, 10);
    EXPECT_EQ(main.slider(Slider::Slider2).value, 55);  // the rest still comes back
}

TEST_F(StateCopies, BackToTheMainWindowInTheFixedOrder)
{
    openPlaying(6);
    enter();
    panel().cmdplay1_Click();
    panel().cmdmute_Click();
    panel().Slider2->setValue(80);
    clearCalls();
    yields = 0;
    mode.unloadFrmcontrol();

    EXPECT_EQ(calls(), QStringList({
                           "main.cmdplay1.Enabled=1", "main.cmdcapture.Enabled=1",
                           "main.cmdnormal.Enabled=1", "main.cmdfullscreen.Enabled=1",
                           "main.cmdnext.Enabled=1", "main.cmdback.Enabled=1",
                           "main.cmdseek.Enabled=1", "main.cmdstep.Enabled=1",
                           "main.Slider1.Enabled=1", "main.Slider1.Range=0..10",
                           "main.cmdback.Enabled=1", "main.cmdmute.Visible=0",
                           "main.cmdmute1.Visible=1", "main.cmdnext.Enabled=1",
                           "main.cmdplay.Visible=1", "main.cmdplay1.Visible=0",
                           "main.cmdseek.Enabled=1", "main.cmdstep.Enabled=1",
                           "main.Timer1.Enabled=0", "main.Slider1.Value=6",
                           "main.Slider2.Value=80", "put_Volume(-2000)",
                           "main.cmdfullscreen.Enabled=1", "main.cmdnormal.Enabled=0",
                           "main.cmdinfo.Enabled=1"}));
    EXPECT_EQ(yields, 1);
    EXPECT_FALSE(full().Timer3.enabled());
}
