#pragma once
// Full-screen mode on a stand-in main window and the platform's recorders (a 1920 x 1080
// screen, the cursor at (100, 100)), over the recording graph unless a test brings the real
// engine. Timers are driven by calling their handlers.

#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"
#include "fullscreen/frmfull.h"
#include "media/Volume.h"
#include "support/SessionFixture.h"

#include <QMap>
#include <QPushButton>
#include <QSlider>

namespace kadrel::test {

// The main window's side: its controls' states, each change logged into the graph's list so
// that one list shows both in order, and the volume slider's own change handling.
class FakeMainWindow final : public MainWindowLink {
public:
    FakeMainWindow(ProgramState& state, ActiveMovieControl& movie, QStringList& log)
        : m_state(state), m_movie(movie), m_log(log)
    {
        sliders[Slider::Slider2] = {0, 100, state.volumeLevel};
        visibles[Control::cmdmute] = true;
    }
    // As after opening a video of the given length and the play or pause command; every
    // other control is enabled.
    void transport(bool playing, int position, int seconds = 10)
    {
        showTransport(!playing);
        sliders[Slider::Slider1] = {0, seconds, position};
        m_state.paused = !playing;
    }

    bool enabled(Control c) const override { return enableds.value(c, true); }
    void setEnabled(Control c, bool on) override { m_log << "main.Enabled"; enableds[c] = on; }
    bool visible(Control c) const override { return visibles.value(c); }
    void setVisible(Control c, bool on) override { m_log << "main.Visible"; visibles[c] = on; }
    SliderState slider(Slider s) const override { return sliders.value(s); }
    void setSliderRange(Slider s, int lo, int hi) override
    {
        sliders[s] = {lo, hi, sliders[s].value};
    }
    void setSliderValue(Slider s, int value) override
    {
        if (s == Slider::Slider2 && sliders[s].value != value) {
            m_state.volumeLevel = value;
            m_movie.SetVolume(volumeOfLevel(value));
        }
        sliders[s].value = value;
    }
    bool muteChecked() const override { return mute; }
    void setMuteChecked(bool checked) override { mute = checked; }
    bool repeatChecked() const override { return repeat; }
    void showWindow() override { m_log << "main.Show"; shown = true; }
    void hideWindow() override { m_log << "main.Hide"; shown = false; }
    void showTransport(bool paused) override
    {
        visibles[Control::cmdplay] = paused;
        visibles[Control::cmdplay1] = !paused;
        enableds[Control::Timer1] = !paused;
    }
    void reportCaptureFailure(QWidget*, const QString& path, const Status&) override
    {
        failedPaths << path;
    }

    bool shown = true;
    bool mute = false;
    bool repeat = true;
    QStringList failedPaths;
    QMap<Control, bool> enableds;
    QMap<Control, bool> visibles;
    QMap<Slider, SliderState> sliders;

private:
    ProgramState& m_state;
    ActiveMovieControl& m_movie;
    QStringList& m_log;
};

class FullScreenFixture : public SessionFixture {
protected:
    using Control = MainWindowLink::Control;
    using Slider = MainWindowLink::Slider;

    explicit FullScreenFixture(GraphFactory engine = {})
        : SessionFixture(std::move(engine), [] {}),
          main(state, movie, graphs.script->calls),
          mode(state, movie, fake.platform(), main, [] {})
    {
        video.setObjectName(QStringLiteral("Video"));
        video.resize(329, 241);
        movie.setVideoHost(&video);
        movie.setFullScreenHost(mode.hostLoader());
    }
    // The engine's surface goes while the picture box holding it is still there.
    ~FullScreenFixture() override { movie.CloseMedia(); }

    // A 10-second video open at the given second, playing or paused, the log cleared.
    void open(bool playing, int position = 3)
    {
        ASSERT_TRUE(movie.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
        graph().position = position;
        if (!playing)
            movie.PauseMedia();
        main.transport(playing, position);
        graphs.script->calls.clear();
    }
    void enter() { ASSERT_TRUE(mode.enter().ok()); }

    frmfull& full() { return mode.frmfull(); }
    frmcontrol& panel() { return mode.frmcontrol(); }
    // The cursor moves and the watch ticks once.
    void moveCursor(QPoint by) { fake.cursor.position += by; full().Timer3_Timer(); }

    QWidget video;  // the main window's picture box
    FakeMainWindow main;
    FullScreenMode mode;
};

}  // namespace kadrel::test
