#include "FakeMainWindow.h"

#include <algorithm>

namespace kadrel::test {

using Control = MainWindowLink::Control;
using Slider = MainWindowLink::Slider;

QString controlName(Control control)
{
    static const char* const names[] = {
        "cmdplay", "cmdplay1", "cmdcapture", "cmdnormal", "cmdfullscreen", "cmdinfo", "cmdnext",
        "cmdback", "cmdseek", "cmdstep", "cmdmute", "cmdmute1", "Slider1", "Timer1"};
    return QString::fromLatin1(names[static_cast<int>(control)]);
}

namespace {

QString sliderName(Slider slider)
{
    return slider == Slider::Slider1 ? QStringLiteral("Slider1") : QStringLiteral("Slider2");
}

}  // namespace

FakeMainWindow::FakeMainWindow(ProgramState& state, ActiveMovieControl& movie,
                               QStringList& log)
    : m_state(state), m_movie(movie), m_log(log)
{
    m_sliders[Slider::Slider2] = {0, 100, state.volumeLevel};
    m_visible[Control::cmdmute] = true;
}

void FakeMainWindow::transport(bool isPlaying, int seconds, int position)
{
    // As after the open command's availability sets, then play or pause.
    for (Control c : {Control::cmdplay, Control::cmdplay1, Control::cmdinfo, Control::Slider1,
                      Control::cmdcapture, Control::cmdfullscreen, Control::cmdnext,
                      Control::cmdback, Control::cmdseek, Control::cmdstep})
        m_enabled[c] = true;
    m_enabled[Control::cmdnormal] = false;
    m_enabled[Control::Timer1] = isPlaying;
    m_visible[Control::cmdplay] = !isPlaying;
    m_visible[Control::cmdplay1] = isPlaying;
    m_sliders[Slider::Slider1] = {0, seconds, position};
    m_state.paused = !isPlaying;
}

void FakeMainWindow::playing(int seconds, int position)
{
    transport(true, seconds, position);
}

void FakeMainWindow::paused(int seconds, int position)
{
    transport(false, seconds, position);
}

void FakeMainWindow::timerEndsMedia(FullScreenMode& mode)
{
    m_sliders[Slider::Slider1].value = m_sliders[Slider::Slider1].max;
    m_movie.StopMedia();
    m_movie.PauseMedia();
    m_state.paused = true;
    m_enabled[Control::Timer1] = false;
    m_visible[Control::cmdplay1] = false;
    m_visible[Control::cmdplay] = true;
    if (m_state.fullScreenActive) {
        m_movie.SetFullScreen(false, mute);
        mode.unloadFrmfull();
    }
}

void FakeMainWindow::setEnabled(Control control, bool on)
{
    m_log << QStringLiteral("main.%1.Enabled=%2").arg(controlName(control)).arg(on);
    m_enabled[control] = on;
}

void FakeMainWindow::setVisible(Control control, bool on)
{
    m_log << QStringLiteral("main.%1.Visible=%2").arg(controlName(control)).arg(on);
    m_visible[control] = on;
}

void FakeMainWindow::setSliderRange(Slider slider, int min, int max)
{
    m_log << QStringLiteral("main.%1.Range=%2..%3").arg(sliderName(slider)).arg(min).arg(max);
    SliderState& s = m_sliders[slider];
    s.min = min;
    s.max = max;
    s.value = std::clamp(s.value, min, max);
}

void FakeMainWindow::setSliderValue(Slider slider, int value)
{
    m_log << QStringLiteral("main.%1.Value=%2").arg(sliderName(slider)).arg(value);
    SliderState& s = m_sliders[slider];
    if (s.value == value)
        return;
    s.value = value;
    if (slider == Slider::Slider2) {
        m_state.volumeLevel = value;
        m_movie.SetVolume(value * 100 - 10000);
    }
}

void FakeMainWindow::setMuteChecked(bool checked)
{
    m_log << QStringLiteral("main.mnumute.Checked=%1").arg(checked);
    mute = checked;
}

void FakeMainWindow::showWindow()
{
    m_log << QStringLiteral("main.Show");
    shown = true;
}

void FakeMainWindow::hideWindow()
{
    m_log << QStringLiteral("main.Hide");
    shown = false;
}

void FakeMainWindow::reportCaptureFailure(QWidget*, const QString& path, const Status& failure)
{
    m_log << QStringLiteral("main.reportCaptureFailure");
    captureFailures.push_back({path, failure});
}

}  // namespace kadrel::test
