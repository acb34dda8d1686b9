// The transport: moves at their limits while paused and while playing, the position caption,
// the end of the media, mute and volume.

#include "MainWindowFixture.h"

#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"
#include "fullscreen/frmfull.h"

#include <QCoreApplication>

using namespace kadrel;
using namespace kadrel::test;

namespace {

// The calls that move the media or change its sound or run state.
QStringList effects(const QStringList& calls)
{
    QStringList kept;
    for (const QString& call : calls)
        if (!call.startsWith(QStringLiteral("get_")))
            kept << call;
    return kept;
}

}  // namespace

TEST_F(MainWindowTest, PausedAtZeroFirstAndBackDoNothingForwardSeeksSilently)
{
    openPaused();
    takeCalls();
    window->cmdback_Click();
    window->cmdseek_Click();
    EXPECT_TRUE(takeCalls().isEmpty());
    EXPECT_EQ(window->Slider1->value(), 0);

    window->cmdstep_Click();
    EXPECT_EQ(window->Slider1->value(), 1);
    EXPECT_EQ(effects(takeCalls()), QStringList({"put_Volume(-10000)", "Run",
                                                 "put_CurrentPosition(1)", "Pause",
                                                 "put_Volume(0)"}));
    EXPECT_EQ(graph().position, 1.0);
    EXPECT_TRUE(state.paused);
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Paused"));
}

TEST_F(MainWindowTest, PausedMovesToTheLimitsAndStopsThere)
{
    openPaused();
    window->cmdnext_Click();
    EXPECT_EQ(window->Slider1->value(), 10);
    EXPECT_EQ(graph().position, 10.0);
    takeCalls();
    window->cmdstep_Click();
    window->cmdnext_Click();
    EXPECT_TRUE(takeCalls().isEmpty());

    window->cmdseek_Click();
    EXPECT_EQ(window->Slider1->value(), 9);
    EXPECT_EQ(graph().position, 9.0);
    window->cmdback_Click();
    EXPECT_EQ(window->Slider1->value(), 0);
    EXPECT_EQ(graph().position, 0.0);
}

TEST_F(MainWindowTest, SilentSeekLeavesTheSoundTheControlsShow)
{
    openPaused();
    window->Slider2->setValue(30);
    window->cmdstep_Click();
    EXPECT_EQ(graph().volume, -7000);

    window->mnumute_Click();
    window->cmdstep_Click();
    EXPECT_EQ(graph().volume, -10000);
    EXPECT_EQ(window->Slider1->value(), 2);
}

TEST_F(MainWindowTest, PlayingMovesSeekAndKeepTheTimerRunning)
{
    graphs.script->duration = 95.0;
    open(mediaFile(QStringLiteral("clip.avi")));
    graph().position = 42.2;
    window->Timer1_Timer();
    ASSERT_EQ(window->Slider1->value(), 42);
    takeCalls();

    window->cmdseek_Click();
    EXPECT_EQ(window->Slider1->value(), 41);
    EXPECT_EQ(effects(takeCalls()), QStringList{"put_CurrentPosition(41)"});
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_FALSE(state.paused);

    window->cmdstep_Click();
    window->cmdstep_Click();
    EXPECT_EQ(graph().position, 43.0);
    window->cmdback_Click();
    EXPECT_EQ(window->Slider1->value(), 0);
    EXPECT_EQ(graph().position, 0.0);
    EXPECT_TRUE(window->Timer1->isActive());
}

TEST_F(MainWindowTest, PlayingAtTheMaximumLastAndForwardOnlyRestartTheTimer)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    window->Slider1->setValue(10);
    window->Timer1->stop();
    takeCalls();

    window->cmdnext_Click();
    EXPECT_TRUE(window->Timer1->isActive());
    window->Timer1->stop();
    window->cmdstep_Click();
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_TRUE(effects(takeCalls()).isEmpty());
    EXPECT_EQ(window->Slider1->value(), 10);
}

TEST_F(MainWindowTest, PositionCaptionShowsWholeSecondsAndTheShortestDuration)
{
    graphs.script->duration = 95.0;
    open(mediaFile(QStringLiteral("a.avi")));
    graph().position = 12.4;
    window->Timer1_Timer();
    EXPECT_EQ(window->lbllength->text(), QStringLiteral("12/95 Sec."));

    // Paused, the media reports no position.
    window->cmdplay1_Click();
    window->Slider1->setValue(30);
    EXPECT_EQ(window->lbllength->text(), QStringLiteral("0/95 Sec."));

    graphs.script->duration = 60.5;
    open(mediaFile(QStringLiteral("b.avi")));
    graph().position = 7.2;
    window->Timer1_Timer();
    EXPECT_EQ(window->lbllength->text(), QStringLiteral("7/60.5 Sec."));

    graphs.script->duration = 120.53;
    open(mediaFile(QStringLiteral("c.avi")));
    graph().position = 12.5;  // halves go to the even second
    window->Timer1_Timer();
    EXPECT_EQ(window->lbllength->text(), QStringLiteral("12/120.53 Sec."));
}

TEST_F(MainWindowTest, EndOfMediaWithRepeatPlaysAgainFromTheStart)
{
    graphs.script->duration = 10.4;
    open(mediaFile(QStringLiteral("clip.avi")));
    graph().position = 9.4;
    window->Timer1_Timer();
    EXPECT_EQ(window->Slider1->value(), 9);
    takeCalls();

    graph().position = 9.5;  // rounds to the maximum, 10
    window->Timer1_Timer();
    const QStringList calls = effects(takeCalls());
    EXPECT_EQ(calls.mid(0, 2), QStringList({"Stop", "put_CurrentPosition(0)"}));
    EXPECT_EQ(calls.count(QStringLiteral("Run")), 2);
    EXPECT_EQ(graph().position, 0.0);
    EXPECT_FALSE(state.paused);
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_TRUE(window->cmdplay->isHidden());
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Playing"));
}

TEST_F(MainWindowTest, EndOfMediaWithoutRepeatStopsAtZeroWithThePlayButton)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    window->mnurepeat_Click();
    EXPECT_FALSE(window->mnurepeat->isChecked());
    graph().position = 10.0;
    window->Timer1_Timer();

    EXPECT_EQ(window->Slider1->value(), 10);
    EXPECT_EQ(graph().position, 0.0);
    EXPECT_TRUE(state.paused);
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_FALSE(window->cmdplay->isHidden());
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Paused"));

    takeCalls();
    window->cmdplay_Click();
    EXPECT_EQ(effects(takeCalls()), QStringList{"Run"});
    EXPECT_EQ(graph().position, 0.0);
}

TEST_F(MainWindowTest, EndOfMediaWithoutRepeatLeavesFullScreen)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    window->mnurepeat_Click();
    window->mnufullscreen_Click();
    ASSERT_TRUE(state.fullScreenActive);
    EXPECT_TRUE(window->isHidden());
    ASSERT_TRUE(window->fullScreenMode().frmfullLoaded());
    EXPECT_EQ(graph().owner, &window->fullScreenMode().frmfull());

    graph().position = 10.0;
    window->Timer1_Timer();
    QCoreApplication::processEvents();

    EXPECT_FALSE(state.fullScreenActive);
    EXPECT_FALSE(window->fullScreenMode().frmfullLoaded());
    EXPECT_FALSE(window->fullScreenMode().frmcontrolLoaded());
    EXPECT_FALSE(window->isHidden());
    EXPECT_EQ(graph().owner, window->Video);
    EXPECT_EQ(graph().position, 0.0);
    EXPECT_TRUE(state.paused);
    EXPECT_FALSE(window->cmdplay->isHidden());
    EXPECT_FALSE(window->Timer1->isActive());
}

TEST_F(MainWindowTest, PositionRoundingPastTheMaximumIsClampedAndEndsTheMedia)
{
    graphs.script->duration = 10.5049;  // kept as 10.50: slider maximum 10
    open(mediaFile(QStringLiteral("clip.avi")));
    window->mnurepeat_Click();
    graph().position = 10.5049;  // rounds to 11
    window->Timer1_Timer();
    EXPECT_EQ(window->Slider1->value(), 10);
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(graph().position, 0.0);
}

TEST_F(MainWindowTest, HoldingThePositionSliderStopsTheTimerUntilTheClick)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    state.fullScreenActive = true;
    window->Slider1_MouseDown();
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_TRUE(state.positionHeld);

    window->Slider1->setValue(6);
    takeCalls();
    window->Slider1_Click();
    EXPECT_EQ(effects(takeCalls()), QStringList{"put_CurrentPosition(6)"});
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_FALSE(state.positionHeld);
    EXPECT_FALSE(state.fullScreenActive);

    window->cmdplay1_Click();
    window->Slider1->setValue(3);
    window->Slider1_Click();
    EXPECT_EQ(graph().position, 3.0);
    EXPECT_TRUE(state.paused);
    EXPECT_FALSE(window->Timer1->isActive());
}

TEST_F(MainWindowTest, VolumeSliderAndMuteSetTheLevels)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    window->Slider2->setValue(30);
    EXPECT_EQ(graph().volume, -7000);
    EXPECT_EQ(state.volumeLevel, 30);

    window->cmdmute_Click();
    EXPECT_EQ(graph().volume, -10000);
    EXPECT_TRUE(window->mnumute->isChecked());
    EXPECT_TRUE(state.muted);
    EXPECT_TRUE(window->cmdmute->isHidden());
    EXPECT_FALSE(window->cmdmute1->isHidden());

    window->cmdmute1_Click();
    EXPECT_EQ(graph().volume, -7000);
    EXPECT_FALSE(window->mnumute->isChecked());
    EXPECT_FALSE(state.muted);
    EXPECT_FALSE(window->cmdmute->isHidden());
    EXPECT_TRUE(window->cmdmute1->isHidden());

    // Moving the volume slider while muted brings the sound back; the mark stays.
    window->mnumute->trigger();
    EXPECT_TRUE(window->mnumute->isChecked());
    window->Slider2->setValue(50);
    EXPECT_EQ(graph().volume, -5000);
    EXPECT_TRUE(window->mnumute->isChecked());

    window->Slider2->setValue(0);
    EXPECT_EQ(graph().volume, -10000);
}

TEST_F(MainWindowTest, OpeningAppliesTheVolumeSlider)
{
    window->Slider2->setValue(40);
    open(mediaFile(QStringLiteral("clip.avi")));
    EXPECT_EQ(graph().volume, -6000);
}

TEST_F(MainWindowTest, FullScreenPanelHandsTheTransportBackToTheWindow)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    window->Slider1->setValue(4);
    window->cmdfullscreen_Click();
    frmcontrol& panel = window->fullScreenMode().frmcontrol();
    EXPECT_EQ(panel.Slider1->maximum(), 10);
    EXPECT_EQ(panel.Slider1->value(), 4);
    EXPECT_FALSE(panel.cmdplay1->isHidden());

    panel.mute();
    panel.Slider2->setValue(40);
    panel.cmdplay1_Click();
    window->fullScreenMode().leave();
    QCoreApplication::processEvents();

    EXPECT_FALSE(window->isHidden());
    EXPECT_EQ(graph().owner, window->Video);
    EXPECT_TRUE(window->mnumute->isChecked());
    EXPECT_FALSE(window->cmdmute1->isHidden());
    EXPECT_TRUE(window->cmdmute->isHidden());
    EXPECT_EQ(window->Slider2->value(), 40);
    EXPECT_EQ(state.volumeLevel, 40);
    EXPECT_FALSE(window->cmdplay->isHidden());
    EXPECT_TRUE(window->cmdplay1->isHidden());
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_TRUE(enabledFlag(window->cmdfullscreen));
    EXPECT_FALSE(enabledFlag(window->cmdnormal));
}
