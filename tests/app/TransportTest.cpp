// The transport: moves at their limits while paused and while playing, the position caption,
// the end of the media, mute and volume.

#include "MainWindowFixture.h"

#include <functional>

using namespace kadrel;
using namespace kadrel::test;

TEST_F(MainWindowTest, MovesStopAtTheLimitsPausedSilentlyPlayingWithTheTimerOn)
{
    open(QStringLiteral("clip.avi"));  // 10 s
    const struct { void (frmmain::*move)(); int fromFive, limit; } moves[] = {
        {&frmmain::cmdback_Click, 0, 0}, {&frmmain::cmdseek_Click, 4, 0},
        {&frmmain::cmdstep_Click, 6, 10}, {&frmmain::cmdnext_Click, 10, 10}};
    const QString silentSeek =
        QStringLiteral("put_Volume(-10000) Run put_CurrentPosition(%1) Pause put_Volume(0)");
    for (const bool playing : {false, true}) {
        for (const auto& m : moves) {
            for (const int from : {5, m.limit}) {
                playing ? window->cmdplay_Click() : window->cmdplay1_Click();
                window->Slider1->setValue(from);
                window->Slider1_Click();
                window->Timer1.setEnabled(false);
                takeEffects();
                (window.get()->*m.move)();

                const int to = from == m.limit ? from : m.fromFive;
                SCOPED_TRACE(testing::Message() << "playing " << playing << ", " << from
                                                << " to " << to);
                const QString seek =
                    playing ? QStringLiteral("put_CurrentPosition(%1)") : silentSeek;
                EXPECT_EQ(takeEffects(), from == to ? QString() : seek.arg(to));
                EXPECT_EQ(window->Slider1->value(), to);
                EXPECT_EQ(graph().position, to);
                EXPECT_EQ(window->Timer1.enabled(), playing);
                EXPECT_EQ(state.paused, !playing);
            }
        }
    }
}

// Each tick shows the position in whole seconds (halves to the even one) and the shortest
// duration. At the end the media plays again with repeat, otherwise it stops at the start.
TEST_F(MainWindowTest, TimerShowsThePositionAndAtTheEndRepeatsOrStops)
{
    const struct { bool repeat; double duration, position; int slider;
                   const char *caption, *effects = ""; } rows[] = {
        {false, 95.0, 12.4, 12, "12/95 Sec."},
        {true, 60.5, 59.4, 59, "59/60.5 Sec."},  // not the end yet
        {false, 120.53, 12.5, 12, "12/120.53 Sec."},
        {true, 10.4, 9.5, 10, nullptr, "Stop put_CurrentPosition(0) Run Run"},
        {false, 10.0, 10.0, 10, nullptr, "Stop put_CurrentPosition(0)"},
        // Kept as 10.50 s, the slider ends at 10; the position rounds to 11.
        {false, 10.5049, 10.5049, 10, nullptr, "Stop put_CurrentPosition(0)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.position);
        graphs.script->duration = row.duration;
        open(QString::number(row.position) + QStringLiteral(".avi"));
        window->mnurepeat->setChecked(row.repeat);
        graph().position = row.position;
        takeEffects();
        window->Timer1_Timer();

        const bool stopped = *row.effects && !row.repeat;
        if (row.caption) {
            EXPECT_EQ(window->lbllength->text(), QLatin1String(row.caption));
        }
        EXPECT_EQ(takeEffects(), QLatin1String(row.effects));
        EXPECT_EQ(window->Slider1->value(), row.slider);
        EXPECT_EQ(graph().position, *row.effects ? 0.0 : row.position);
        EXPECT_EQ(state.paused, stopped);
        EXPECT_EQ(window->Timer1.enabled(), !stopped);
        EXPECT_EQ(window->cmdplay->isHidden(), !stopped);
    }
    graph().position = 7.2;  // stopped: the media reports no position
    window->Slider1->setValue(5);
    EXPECT_EQ(window->lbllength->text(), QStringLiteral("0/10.5 Sec."));
}

TEST_F(MainWindowTest, SoundFollowsVolumeAndMuteAlsoAfterASilentSeek)
{
    window->Slider2->setValue(40);
    open(QStringLiteral("clip.avi"));
    EXPECT_EQ(graph().volume, -6000);
    window->cmdplay1_Click();
    const struct { std::function<void()> step; int volume; bool muted; } steps[] = {
        {[&] { window->Slider2->setValue(30); }, -7000, false},
        {[&] { window->cmdstep_Click(); }, -7000, false},  // the silent seek gives it back
        {[&] { window->cmdmute_Click(); }, -10000, true},
        {[&] { window->cmdstep_Click(); }, -10000, true},
        {[&] { window->cmdmute1_Click(); }, -7000, false},
        {[&] { window->mnumute_Click(); }, -10000, true},
        {[&] { window->Slider2->setValue(50); }, -5000, true},  // sound back, the mark stays
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(&s - steps);
        s.step();
        EXPECT_EQ(graph().volume, s.volume);
        EXPECT_EQ(window->mnumute->isChecked(), s.muted);
        EXPECT_EQ(window->cmdmute1->isHidden(), !s.muted);
    }
}
