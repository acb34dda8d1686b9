#pragma once
// A stand-in for the main window behind MainWindowLink: it keeps its controls' states,
// logs every change the full-screen windows make into a shared list (the fake graph's, so
// one list shows both in order), and runs the main window's own change handling of the
// volume slider and its position timer's end of the media.

#include "fullscreen/FullScreenMode.h"
#include "fullscreen/MainWindowLink.h"
#include "media/ActiveMovieControl.h"

#include <QMap>
#include <QStringList>

#include <vector>

namespace kadrel::test {

class FakeMainWindow final : public MainWindowLink {
public:
    FakeMainWindow(ProgramState& state, ActiveMovieControl& movie, QStringList& log);

    // The main window's states after opening a video of the given whole seconds and the
    // play or pause command.
    void playing(int seconds, int position);
    void paused(int seconds, int position);
    // The main window's position timer reaching the end of the media with repeat off.
    void timerEndsMedia(FullScreenMode& mode);

    bool enabled(Control control) const override { return m_enabled.value(control); }
    void setEnabled(Control control, bool on) override;
    bool visible(Control control) const override { return m_visible.value(control); }
    void setVisible(Control control, bool on) override;
    SliderState slider(Slider slider) const override { return m_sliders.value(slider); }
    void setSliderRange(Slider slider, int min, int max) override;
    void setSliderValue(Slider slider, int value) override;
    bool muteChecked() const override { return mute; }
    void setMuteChecked(bool checked) override;
    bool repeatChecked() const override { return repeat; }
    void showWindow() override;
    void hideWindow() override;
    void reportCaptureFailure(QWidget* owner, const QString& path,
                              const Status& failure) override;

    bool shown = true;
    bool mute = false;
    bool repeat = true;
    struct CaptureFailure {
        QString path;
        Status failure;
    };
    std::vector<CaptureFailure> captureFailures;

private:
    void transport(bool isPlaying, int seconds, int position);

    ProgramState& m_state;
    ActiveMovieControl& m_movie;
    QStringList& m_log;
    QMap<Control, bool> m_enabled;
    QMap<Control, bool> m_visible;
    QMap<Slider, SliderState> m_sliders;
};

// "cmdplay1", "Slider2", ... as the log writes them.
QString controlName(MainWindowLink::Control control);

}  // namespace kadrel::test
