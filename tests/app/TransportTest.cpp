// The transport on the main window and on the full-screen panel alike: moves at their limits,
// the position slider, the position timer with the end of the media, mute and volume.

#include "MainWindowFixture.h"

namespace {

struct TransportView {
    QSlider* Slider1;
    QSlider* Slider2;
    QWidget* cmdmute1;
    FormTimer& Timer1;
    std::function<void()> play, pause, back, seek, step, next, mute, unmute, press, release, tick;
};

template <typename Window>
TransportView viewOf(Window& w)
{
    return {w.Slider1, w.Slider2, w.cmdmute1, w.Timer1,
            [&w] { w.cmdplay_Click(); },     [&w] { w.cmdplay1_Click(); },
            [&w] { w.cmdback_Click(); },     [&w] { w.cmdseek_Click(); },
            [&w] { w.cmdstep_Click(); },     [&w] { w.cmdnext_Click(); },
            [&w] { w.cmdmute_Click(); },     [&w] { w.cmdmute1_Click(); },
            [&w] { w.Slider1_MouseDown(); }, [&w] { w.Slider1_Click(); },
            [&w] { w.Timer1_Timer(); }};
}

class TransportTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {
protected:
    bool onPanel() const { return GetParam(); }
    // Opens name (10 s unless said otherwise), on the panel in full screen; the log cleared.
    TransportView begin(const QString& name)
    {
        if (state.fullScreenActive)
            window->fullScreenMode().leave();
        open(name);
        if (onPanel())
            window->cmdfullscreen_Click();
        takeEffects();
        return onPanel() ? viewOf(window->fullScreenMode().frmcontrol()) : viewOf(*window);
    }
};

INSTANTIATE_TEST_SUITE_P(BothWindows, TransportTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "frmcontrol" : "frmmain"; });

}  // namespace

// Moving the slider by hand is a move too: pressed, moved to 7, released.
TEST_P(TransportTest, MovesStopAtTheLimitsPausedSilentlyPlayingWithTheTimerOn)
{
    const TransportView t = begin(QStringLiteral("clip.avi"));
    const auto drag = [&] { t.press(); t.Slider1->setValue(7); t.release(); };
    const struct { std::function<void()> move; int fromFive, limit; } moves[] = {
        {t.back, 0, 0}, {t.seek, 4, 0}, {t.step, 6, 10}, {t.next, 10, 10}, {drag, 7, -1}};
    const QString silentSeek =
        QStringLiteral("put_Volume(-10000) Run put_CurrentPosition(%1) Pause put_Volume(0)");
    for (const bool playing : {false, true}) {
        for (const auto& m : moves) {
            for (const int from : {5, m.limit}) {
                if (from < 0)
                    continue;
                playing ? t.play() : t.pause();
                t.Slider1->setValue(from);
                t.release();
                t.Timer1.setEnabled(false);
                takeEffects();
                m.move();

                const int to = from == m.limit ? from : m.fromFive;
                SCOPED_TRACE(testing::Message() << "playing " << playing << ", " << from
                                                << " to " << to);
                const QString seek =
                    playing ? QStringLiteral("put_CurrentPosition(%1)") : silentSeek;
                EXPECT_EQ(takeEffects(), from == to ? QString() : seek.arg(to));
                EXPECT_EQ(t.Slider1->value(), to);
                EXPECT_EQ(graph().position, to);
                EXPECT_EQ(t.Timer1.enabled(), playing);
                EXPECT_EQ(state.paused, !playing);
            }
        }
    }
}

// Each tick shows the position in whole seconds (halves to even) and the shortest duration. At
// the end the media repeats, or stops at the start, paused, and full-screen mode ends.
TEST_P(TransportTest, TimerShowsThePositionAndAtTheEndRepeatsOrStops)
{
    const QString replay = onPanel() ? "Run" : "Run Run";  // the panel's play acts only paused
    const QString leave = onPanel() ? " put_Volume(-10000) put_Width(329) put_Height(241) "
                                      "put_Owner(Video) put_Volume(0)" : "";
    const struct { bool repeat; double duration, position; int slider; const char* caption;
                   QString effects; } rows[] = {
        {false, 95.0, 12.4, 12, "12/95 Sec.", ""},
        {true, 60.5, 59.4, 59, "59/60.5 Sec.", ""},  // not the end yet
        {false, 120.53, 12.5, 12, "12/120.53 Sec.", ""},
        {true, 10.4, 9.5, 10, nullptr, "Stop put_CurrentPosition(0) " + replay},
        {false, 10.0, 10.0, 10, nullptr, "Stop put_CurrentPosition(0)" + leave},
        // Kept as 10.50 s, the slider ends at 10; the position rounds to 11.
        {false, 10.5049, 10.5049, 10, nullptr, "Stop put_CurrentPosition(0)" + leave},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.position);
        graphs.script->duration = row.duration;
        window->mnurepeat->setChecked(row.repeat);
        const TransportView t = begin(QString::number(row.position) + QStringLiteral(".avi"));
        graph().position = row.position;
        t.tick();

        const bool stopped = !row.effects.isEmpty() && !row.repeat;
        if (row.caption && !onPanel()) {
            EXPECT_EQ(window->lbllength->text(), QLatin1String(row.caption));
        }
        EXPECT_EQ(takeEffects(), row.effects);
        EXPECT_EQ(t.Slider1->value(), row.slider);
        EXPECT_EQ(graph().position, row.effects.isEmpty() ? row.position : 0.0);
        EXPECT_EQ(state.paused, stopped);
        EXPECT_EQ(state.fullScreenActive, onPanel() && !stopped);
        EXPECT_EQ(window->Timer1.enabled(), !stopped);
        EXPECT_EQ(window->cmdplay->isHidden(), !stopped);
    }
    graph().position = 7.2;  // stopped: the media reports no position
    window->Slider1->setValue(5);
    EXPECT_EQ(window->lbllength->text(), QStringLiteral("0/10.5 Sec."));
}

TEST_P(TransportTest, SoundFollowsVolumeAndMuteAlsoAfterASilentSeek)
{
    window->Slider2->setValue(40);
    const TransportView t = begin(QStringLiteral("clip.avi"));
    EXPECT_EQ(graph().volume, -6000);
    t.pause();
    const struct { std::function<void()> step; int volume; bool muted; } steps[] = {
        {[&] { t.Slider2->setValue(30); }, -7000, false},
        {t.step, -7000, false},  // the silent seek gives it back
        {t.mute, -10000, true},
        {t.step, -10000, true},
        {t.unmute, -7000, false},
        {t.mute, -10000, true},
        {[&] { t.Slider2->setValue(50); }, -5000, true},  // sound back, the mark stays
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(&s - steps);
        s.step();
        EXPECT_EQ(graph().volume, s.volume);
        EXPECT_EQ(window->mnumute->isChecked(), s.muted);
        EXPECT_EQ(t.cmdmute1->isHidden(), !s.muted);
        EXPECT_EQ(state.muted, s.muted);
    }
}
