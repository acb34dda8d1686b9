// The transport on the main window: moves at their limits, the position slider, the position
// timer with the end of the media, mute and volume. The panel's wiring is FullScreenTest's.

#include "MainWindowFixture.h"

using TransportTest = MainWindowTest;  // clips are 10 s unless said otherwise

// Moving the slider by hand is a move too: pressed, moved to 7, released.
TEST_F(TransportTest, MovesStopAtTheLimitsPausedSilentlyPlayingWithTheTimerOn)
{
    open(u"clip.avi"_s);
    frmmain& w = *window;
    const auto drag = [&] { w.Slider1_MouseDown(); w.Slider1->setValue(7); w.Slider1_Click(); };
    const struct { std::function<void()> move; int fromFive, limit; } moves[] = {
        {[&] { w.cmdback_Click(); }, 0, 0}, {[&] { w.cmdseek_Click(); }, 4, 0},
        {[&] { w.cmdstep_Click(); }, 6, 10}, {[&] { w.cmdnext_Click(); }, 10, 10}, {drag, 7, -1}};
    const QString silentSeek =
        u"put_Volume(-10000) Run put_CurrentPosition(%1) Pause put_Volume(0)"_s;
    for (const bool playing : {false, true}) {
        for (const auto& m : moves) {
            for (const int from : {5, m.limit}) {
                if (from < 0)
                    continue;
                playing ? w.cmdplay_Click() : w.cmdplay1_Click();
                w.Slider1->setValue(from);
                w.Slider1_Click();
                w.Timer1.setEnabled(false);
                takeEffects();
                m.move();

                const int to = from == m.limit ? from : m.fromFive;
                SCOPED_TRACE(testing::Message() << "playing " << playing << ", " << from
                                                << " to " << to);
                const QString seek = playing ? u"put_CurrentPosition(%1)"_s : silentSeek;
                EXPECT_EQ(takeEffects(), from == to ? QString() : seek.arg(to));
                EXPECT_EQ(w.Slider1->value(), to);
                EXPECT_EQ(graph().position, to);
                EXPECT_EQ(w.Timer1.enabled(), playing);
                EXPECT_EQ(state.paused, !playing);
            }
        }
    }
}

// Each tick shows the position in whole seconds (halves to even) and the shortest duration. At
// the end the media repeats, or stops at the start, paused.
TEST_F(TransportTest, TimerShowsThePositionAndAtTheEndRepeatsOrStops)
{
    const struct { bool repeat; double duration, position; int slider; const char* caption;
                   const char* effects; } rows[] = {
        {false, 95.0, 12.4, 12, "12/95 Sec.", ""},
        {true, 60.5, 59.4, 59, "59/60.5 Sec.", ""},  // not the end yet
        {false, 120.53, 12.5, 12, "12/120.53 Sec.", ""},
        {true, 10.4, 9.5, 10, nullptr, "Stop put_CurrentPosition(0) Run Run"},
        {false, 10.0, 10.0, 10, nullptr, "Stop put_CurrentPosition(0)"},
        // Kept as 10.50 s, the slider ends at 10; the position rounds to 11.
        {false, 10.5049, 10.5049, 10, nullptr, "Stop put_CurrentPosition(0)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.position);
        graphs.script->duration = row.duration;
        window->mnurepeat->setChecked(row.repeat);
        open(QString::number(row.position) + u".avi"_s);
        takeEffects();
        graph().position = row.position;
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
    EXPECT_EQ(window->lbllength->text(), u"0/10.5 Sec."_s);
}

TEST_F(TransportTest, SoundFollowsVolumeAndMuteAlsoAfterASilentSeek)
{
    window->Slider2->setValue(40);
    open(u"clip.avi"_s);
    EXPECT_EQ(graph().volume, -6000);
    window->cmdplay1_Click();
    const auto step = [this] { window->cmdstep_Click(); };
    const auto mute = [this] { window->cmdmute_Click(); };
    const struct { std::function<void()> step; int volume; bool muted; } steps[] = {
        {[&] { window->Slider2->setValue(30); }, -7000, false},
        {step, -7000, false},  // the silent seek gives it back
        {mute, -10000, true},
        {step, -10000, true},
        {[&] { window->cmdmute1_Click(); }, -7000, false},
        {mute, -10000, true},
        {[&] { window->Slider2->setValue(50); }, -5000, true},  // sound back, the mark stays
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(&s - steps);
        s.step();
        EXPECT_EQ(graph().volume, s.volume);
        EXPECT_EQ(window->mnumute->isChecked(), s.muted);
        EXPECT_EQ(window->cmdmute1->isHidden(), !s.muted);
        EXPECT_EQ(state.muted, s.muted);
    }
}
