#include "transport/Transport.h"

#include "capture/FrameNumber.h"
#include "common/Rounding.h"
#include "media/Volume.h"

#include <QLabel>
#include <QSlider>
#include <QWidget>

#include <algorithm>

namespace kadrel {

namespace {

// What the readout adds for a picture flagged interlaced: how it is shown.
QString interlaceNote(ActiveMovieControl& movie)
{
    const PictureFacts facts = movie.GetCurrentPicture().valueOr({});
    if (!facts.interlaced)
        return {};
    return facts.deinterlaced ? QStringLiteral(" \u00b7 Deinterlaced")
                              : QStringLiteral(" \u00b7 Interlaced");
}

}  // namespace

Transport::Transport(ProgramState& state, ActiveMovieControl& movie, TransportWindow& window,
                     TransportControls controls, EventYield yield)
    : m_state(state),
      m_movie(movie),
      m_window(window),
      m_controls(controls),
      m_yield(std::move(yield)),
      m_pictures(m_controls.videoHost, [this] {
          if (!m_state.paused)
              showFrame();
      })
{
}

void Transport::showPlaying()
{
    m_controls.cmdplay->hide();
    m_controls.cmdplay1->show();
    m_controls.Timer1.setEnabled(true);
    m_state.paused = false;
    showFrame();
}

void Transport::showPaused()
{
    m_state.paused = true;
    m_controls.Timer1.setEnabled(false);
    m_controls.cmdplay1->hide();
    m_controls.cmdplay->show();
    showFrame();
}

void Transport::toStart()
{
    move(m_controls.Slider1->minimum(), m_controls.Slider1->minimum());
}

void Transport::toEnd()
{
    move(m_controls.Slider1->maximum(), m_controls.Slider1->maximum());
}

void Transport::stepBack()
{
    move(m_controls.Slider1->minimum(), m_controls.Slider1->value() - 1);
}

void Transport::stepForward()
{
    move(m_controls.Slider1->maximum(), m_controls.Slider1->value() + 1);
}

void Transport::move(int limit, int target)
{
    QSlider* const slider = m_controls.Slider1;
    if (m_state.paused) {
        if (slider->value() != limit) {
            slider->setValue(target);
            silentSeek();
        }
        showFrame();
        return;
    }
    m_controls.Timer1.setEnabled(false);
    if (slider->value() != limit) {
        slider->setValue(target);
        (void)m_movie.SetPosition(slider->value());  // a refused move leaves the picture
        m_yield();
    }
    m_controls.Timer1.setEnabled(true);
    showFrame();
}

// A move while paused lands on the capture time nearest the slider's second, so that the
// picture on show is always one a bulk run numbers the same way.
void Transport::silentSeek()
{
    const double seconds = m_controls.Slider1->value();
    const Result<CapturePlan> plan = frames();
    silentSeekTo(plan ? plan.value().captureTime(roundToInt32Clamped(
                            seconds / plan.value().timePerFrame))
                      : seconds);
}

// A position moves only while the media runs: it runs silently for the moment of the move,
// then the sound is what the volume controls show.
void Transport::silentSeekTo(double seconds)
{
    m_movie.SetVolume(kSilentVolume);
    m_movie.PlayMedia();
    (void)m_movie.SetPosition(seconds);  // a refused move leaves the picture
    m_movie.PauseMedia();
    m_movie.SetVolume(shownVolume(m_window.muteChecked(), m_state.volumeLevel));
    m_yield();
}

void Transport::toggleMute()
{
    const bool muting = !m_window.muteChecked();
    m_window.setMuteChecked(muting);
    m_controls.cmdmute1->setVisible(muting);
    m_controls.cmdmute->setVisible(!muting);
    if (muting) {
        m_movie.SetVolume(kSilentVolume);
    } else {
        volumeChanged();
        m_movie.SetVolume(volumeOfLevel(m_state.volumeLevel));
    }
    m_state.muted = muting;
}

void Transport::press()
{
    m_controls.Timer1.setEnabled(false);
    m_state.positionHeld = true;
}

void Transport::release()
{
    if (m_state.paused) {
        silentSeek();
        showFrame();
        return;
    }
    (void)m_movie.SetPosition(m_controls.Slider1->value());  // a refused move leaves the picture
    m_yield();
    if (m_state.positionHeld) {
        m_state.positionHeld = false;
        m_controls.Timer1.setEnabled(true);
    }
    showFrame();
}

void Transport::volumeChanged()
{
    m_state.volumeLevel = m_controls.Slider2->value();
    m_movie.SetVolume(volumeOfLevel(m_state.volumeLevel));
}

void Transport::tick()
{
    const Result<double> position = m_movie.GetPosition();
    if (!position)
        return;
    // A position rounding past the maximum (the duration was rounded down) is the end too.
    QSlider* const slider = m_controls.Slider1;
    slider->setValue(std::clamp(roundToInt32Clamped(position.value()), slider->minimum(),
                                slider->maximum()));
    if (slider->value() == slider->maximum())
        endOfMedia();
    showFrame();
}

void Transport::endOfMedia()
{
    m_movie.StopMedia();
    if (m_window.repeatChecked()) {
        m_window.cmdplay_Click();
        m_yield();
        m_movie.PlayMedia();
        return;
    }
    m_window.cmdplay1_Click();
    if (m_state.fullScreenActive) {
        // Leaving goes on whatever the video window says.
        (void)m_movie.SetFullScreen(false, m_window.muteChecked());
        m_window.unloadFrmfull();
    }
}

void Transport::nextFrame()
{
    stepFrames(1);
}

void Transport::previousFrame()
{
    stepFrames(-1);
}

void Transport::stepFrames(std::int32_t delta)
{
    const Result<CapturePlan> plan = frames();
    if (!plan)
        return;
    if (!m_state.paused)
        m_window.cmdplay1_Click();
    const Result<std::int32_t> shown = shownFrame();
    if (!shown)
        return;
    const CapturePlan& p = plan.value();
    const std::int32_t to = std::clamp(shown.value() + delta, p.firstFrame, p.lastFrame);
    if (to != shown.value())
        goToFrame(p, to);
}

void Transport::goToFrame(const CapturePlan& frames, std::int32_t frame)
{
    if (!m_state.paused)
        m_window.cmdplay1_Click();
    const double time = frames.captureTime(frame);
    QSlider* const slider = m_controls.Slider1;
    slider->setValue(std::clamp(roundToInt32Clamped(time), slider->minimum(), slider->maximum()));
    silentSeekTo(time);
    showFrame();
}

Result<CapturePlan> Transport::frames()
{
    return CapturePlan::wholeVideo(m_movie);
}

Result<double> Transport::shownPosition()
{
    const MediaSession& session = m_movie.session();
    // Paused, the session reports 0; the graph still knows where it stands.
    if (session.playing || !session.mediaPosition)
        return m_movie.GetPosition();
    return session.mediaPosition->get_CurrentPosition();
}

Result<std::int32_t> Transport::shownFrame()
{
    const Result<CapturePlan> plan = frames();
    if (!plan)
        return plan.status();
    const Result<double> position = shownPosition();
    if (!position)
        return position.status();
    return frameAtPosition(plan.value(), position.value());
}

void Transport::showFrame()
{
    const Result<CapturePlan> plan = frames();
    const Result<std::int32_t> shown = shownFrame();
    m_controls.lblframe->setText(
        shown ? frameReadout(plan.value(), shown.value()) + interlaceNote(m_movie) : QString());
}

}  // namespace kadrel
