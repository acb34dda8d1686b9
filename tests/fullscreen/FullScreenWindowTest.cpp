// The full-screen window: entering, the cursor watch that shows and hides the panel, Esc,
// and every way out, on the recording graph.

#include "FullScreenFixture.h"

#include <QKeyEvent>
#include <QPointer>

using namespace kadrel;
using namespace kadrel::test;

namespace {

using Control = MainWindowLink::Control;
using FullScreenEntry = FullScreenFixture;
using CursorWatch = FullScreenFixture;
using LeavingFullScreen = FullScreenFixture;

void pressKey(QWidget* target, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
}

}  // namespace

TEST_F(FullScreenEntry, WhilePlayingMovesTheVideoToAScreenSizedWindow)
{
    openPlaying();
    enter();

    // The panel's copy of the volume slider applies the level, then the switch silences
    // the sound, moves the video and restores the level.
    EXPECT_EQ(calls(), QStringList({"get_AvgTimePerFrame", "put_Volume(0)", "put_Volume(-10000)",
                                    "put_Width(1920)", "put_Height(1080)", "put_Owner(frmfull)",
                                    "put_Volume(0)", "main.Hide"}));
    EXPECT_EQ(graphs.last->owner, &full());
    EXPECT_TRUE(state.fullScreenActive);
    EXPECT_FALSE(main.shown);
    EXPECT_TRUE(full().isVisible());
    EXPECT_EQ(full().geometry(), QRect(0, 0, 1920, 1080));
    EXPECT_TRUE(full().Timer3.enabled());
    EXPECT_EQ(full().Timer3.interval(), 1);
    EXPECT_FALSE(full().Timer2.enabled());

    ASSERT_TRUE(mode.frmcontrolLoaded());
    EXPECT_TRUE(panel().isHidden());
    EXPECT_TRUE(panel().cmdplay->isHidden());
    EXPECT_TRUE(panel().Timer1.enabled());
    EXPECT_EQ(panel().Slider1->maximum(), 10);
    EXPECT_EQ(panel().Slider1->value(), 3);
    EXPECT_TRUE(panel().cmdnormal->isEnabled());
}

TEST_F(FullScreenEntry, WhilePausedThePanelShowsPlayWithItsTimerOff)
{
    openPaused(4);
    main.mute = true;
    main.setEnabled(Control::cmdseek, false);
    enter();

    EXPECT_FALSE(panel().cmdseek->isEnabled());  // copied from the main window
    EXPECT_TRUE(panel().cmdstep->isEnabled());
    EXPECT_FALSE(panel().cmdplay->isHidden());
    EXPECT_TRUE(panel().cmdplay1->isHidden());
    EXPECT_FALSE(panel().Timer1.enabled());
    EXPECT_EQ(panel().Slider1->value(), 4);
    EXPECT_EQ(graphs.last->volume, -10000);  // muted: the switch leaves it silent
    EXPECT_TRUE(state.paused);
}

TEST_F(FullScreenEntry, SoundOnlyMediaIsRefusedAndNothingChanges)
{
    graphs.script->hasVideo = false;
    openPlaying();

    EXPECT_FALSE(mode.enter().ok());
    EXPECT_EQ(calls(), QStringList({"get_AvgTimePerFrame"}));
    EXPECT_FALSE(mode.frmfullLoaded());
    EXPECT_FALSE(mode.frmcontrolLoaded());
    EXPECT_TRUE(main.shown);
    EXPECT_FALSE(state.fullScreenActive);
    EXPECT_EQ(graphs.last->volume, 0);
    EXPECT_TRUE(movie.hasMedia());
}

TEST_F(FullScreenEntry, AFailedSwitchPutsEverythingBack)
{
    openPlaying();
    main.setSliderValue(MainWindowLink::Slider::Slider2, 60);
    graphs.script->failing.insert(QStringLiteral("put_Owner"));

    EXPECT_FALSE(mode.enter().ok());
    EXPECT_TRUE(calls().contains("put_Width(329)"));
    EXPECT_EQ(graphs.last->volume, -4000);
    flushDeletes();
    EXPECT_FALSE(mode.frmfullLoaded());
    EXPECT_FALSE(mode.frmcontrolLoaded());
    EXPECT_TRUE(main.shown);
    EXPECT_FALSE(calls().contains("main.Hide"));
    EXPECT_FALSE(state.fullScreenActive);
}

TEST_F(CursorWatch, AOnePixelMoveEitherWayShowsThePanel)
{
    for (const QPoint step : {QPoint(1, 0), QPoint(0, 1), QPoint(-1, 0), QPoint(0, -1)}) {
        SCOPED_TRACE(testing::Message() << step.x() << "," << step.y());
        openPlaying();
        enter();
        full().Timer3_Timer();
        EXPECT_TRUE(panel().isHidden());  // a still cursor shows nothing
        moveCursor(step.x(), step.y());
        EXPECT_TRUE(panel().isVisible());
        EXPECT_EQ(panel().geometry().topLeft(), QPoint(0, 0));
        EXPECT_TRUE(full().Timer2.enabled());
        EXPECT_EQ(full().Timer2.interval(), 4000);
        mode.leave();
        flushDeletes();
    }
}

TEST_F(CursorWatch, ThePanelHidesFourSecondsAfterTheFirstMoveAndComesBackOnTheNext)
{
    openPlaying();
    enter();
    moveCursor(1, 0);
    moveCursor(5, 5);  // still moving: the four seconds are not started again
    moveCursor(5, 5);
    EXPECT_EQ(full().Timer2.countsStarted(), 1);

    full().Timer2_Timer();
    EXPECT_TRUE(panel().isHidden());
    EXPECT_FALSE(full().Timer2.enabled());

    // The full-screen window is active again and took the cursor as it was then.
    full().Timer3_Timer();
    EXPECT_TRUE(panel().isHidden());
    moveCursor(0, 1);
    EXPECT_TRUE(panel().isVisible());
    EXPECT_EQ(full().Timer2.countsStarted(), 2);
}

TEST_F(LeavingFullScreen, EscGivesTheVideoBackBeforeTheWindowsGo)
{
    openPlaying();
    main.setSliderValue(MainWindowLink::Slider::Slider2, 70);
    enter();
    QPointer<QWidget> fullWindow = &full();
    QPointer<QWidget> panelWindow = &panel();
    pressKey(fullWindow, Qt::Key_A, QStringLiteral("a"));
    EXPECT_TRUE(state.fullScreenActive);
    clearCalls();

    pressKey(fullWindow, Qt::Key_Escape, QStringLiteral("\x1b"));
    const QStringList log = calls();
    ASSERT_GE(log.size(), 5);
    EXPECT_EQ(log.mid(0, 5), QStringList({"put_Volume(-10000)", "put_Width(329)",
                                          "put_Height(241)", "put_Owner(Video)",
                                          "put_Volume(-3000)"}));
    // The panel's state goes back before the main window shows.
    EXPECT_LT(log.indexOf("main.cmdfullscreen.Enabled=1"), log.indexOf("main.Show"));
    EXPECT_EQ(graphs.last->owner, &video);
    EXPECT_FALSE(state.fullScreenActive);
    EXPECT_TRUE(main.shown);
    EXPECT_FALSE(mode.frmfullLoaded());
    EXPECT_FALSE(mode.frmcontrolLoaded());
    flushDeletes();
    EXPECT_TRUE(fullWindow.isNull());
    EXPECT_TRUE(panelWindow.isNull());
}

TEST_F(LeavingFullScreen, EscWhileThePanelIsActiveDoesNothing)
{
    openPlaying();
    enter();
    moveCursor(1, 1);
    pressKey(panel().cmdplay1, Qt::Key_Escape, QStringLiteral("\x1b"));
    pressKey(&panel(), Qt::Key_Escape, QStringLiteral("\x1b"));

    EXPECT_TRUE(state.fullScreenActive);
    EXPECT_TRUE(mode.frmfullLoaded());
    EXPECT_TRUE(panel().isVisible());
    EXPECT_FALSE(main.shown);
}

TEST_F(LeavingFullScreen, NormalSizeReturnsWithTheMuteSetOnThePanel)
{
    openPlaying();
    enter();
    panel().cmdmute_Click();
    EXPECT_TRUE(main.mute);
    EXPECT_EQ(graphs.last->volume, -10000);

    panel().cmdnormal_Click();
    EXPECT_EQ(graphs.last->owner, &video);
    EXPECT_TRUE(main.shown);
    EXPECT_TRUE(main.mute);
    EXPECT_TRUE(main.visible(Control::cmdmute1));
    EXPECT_FALSE(main.visible(Control::cmdmute));
    EXPECT_EQ(graphs.last->volume, -10000);  // the sound stays off
    EXPECT_TRUE(state.muted);
}

TEST_F(LeavingFullScreen, ClosedByTheWindowManagerItStillGivesTheVideoBack)
{
    openPlaying();
    enter();
    QPointer<QWidget> fullWindow = &full();
    EXPECT_TRUE(fullWindow->close());  // never refused, or quitting the program would stop

    EXPECT_EQ(graphs.last->owner, &video);
    EXPECT_FALSE(state.fullScreenActive);
    EXPECT_TRUE(main.shown);
    EXPECT_FALSE(mode.frmcontrolLoaded());
    flushDeletes();
    EXPECT_TRUE(fullWindow.isNull());
}

TEST_F(LeavingFullScreen, LeavingAndEnteringAgainMakesFreshWindowsEachTime)
{
    openPlaying();
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        enter();
        QPointer<QWidget> fullWindow = &full();
        QPointer<QWidget> panelWindow = &panel();
        EXPECT_EQ(full().geometry(), QRect(0, 0, 1920, 1080));
        EXPECT_EQ(panel().geometry(), QRect(0, 0, 1920, 40));
        EXPECT_TRUE(full().Timer3.enabled());
        EXPECT_EQ(graphs.last->owner, fullWindow.data());
        moveCursor(1, 0);
        EXPECT_TRUE(panel().isVisible());

        if (round % 2 == 0)
            pressKey(fullWindow, Qt::Key_Escape, QStringLiteral("\x1b"));
        else
            panel().cmdnormal_Click();
        flushDeletes();
        EXPECT_TRUE(fullWindow.isNull());
        EXPECT_TRUE(panelWindow.isNull());
        EXPECT_EQ(graphs.last->owner, &video);
        EXPECT_TRUE(main.shown);
    }
}
