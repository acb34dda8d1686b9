// The transport panel: play and pause, the moves by whole seconds, mute, repeat, the two
// sliders and the one-second position timer with the end of the media.

#include "app/frmmain.h"

#include "common/Rounding.h"
#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"
#include "fullscreen/frmfull.h"

#include <QLocale>

#include <algorithm>

namespace kadrel {

namespace {

constexpr std::int32_t kSilence = -10000;

std::int32_t sliderLevel(int volumeLevel)
{
    return volumeLevel * 100 - 10000;
}

// Enabling a running timer keeps its count going, as window timers do.
void enableTimer(QTimer* timer)
{
    if (!timer->isActive())
        timer->start();
}

}  // namespace

Status frmmain::play()
{
    if (m_state.selectedFile != m_state.loadedFile) {
        if (Status opened = m_movie.OpenMedia(m_state.selectedFile); !opened)
            return opened;
        m_state.loadedFile = m_state.selectedFile;
        Slider2_Change();
    } else {
        m_movie.PlayMedia();
    }
    cmdplay->hide();
    cmdplay1->show();
    enableTimer(Timer1);
    m_state.paused = false;
    lblstate->setText(QStringLiteral("Playing"));
    return {};
}

void frmmain::cmdplay_Click()
{
    // The play button never opens a new file: only the open command makes them differ.
    (void)play();  // it fails only when it opens a file
}

void frmmain::cmdplay1_Click()
{
    m_movie.PauseMedia();
    m_state.paused = true;
    Timer1->stop();
    cmdplay1->hide();
    cmdplay->show();
    lblstate->setText(QStringLiteral("Paused"));
}

std::int32_t frmmain::shownVolume() const
{
    return mnumute->isChecked() ? kSilence : sliderLevel(m_state.volumeLevel);
}

// SetPosition acts only while the media plays, so a paused media runs, silenced, for the
// moment of the move; afterwards the sound is what the volume controls show.
void frmmain::silentSeek()
{
    m_movie.SetVolume(kSilence);
    m_movie.PlayMedia();
    (void)m_movie.SetPosition(Slider1->value());  // a refused move leaves the picture where it is
    m_movie.PauseMedia();
    m_movie.SetVolume(shownVolume());
    yieldOnce();
}

void frmmain::moveSlider(int limit, int target)
{
    if (m_state.paused) {
        if (Slider1->value() != limit) {
            Slider1->setValue(target);
            silentSeek();
        }
        return;
    }
    Timer1->stop();
    if (Slider1->value() != limit) {
        Slider1->setValue(target);
        // A refused move leaves the picture where it is.
        (void)m_movie.SetPosition(Slider1->value());
        yieldOnce();
    }
    enableTimer(Timer1);
}

void frmmain::cmdback_Click()
{
    moveSlider(Slider1->minimum(), Slider1->minimum());
}

void frmmain::cmdnext_Click()
{
    moveSlider(Slider1->maximum(), Slider1->maximum());
}

void frmmain::cmdseek_Click()
{
    moveSlider(Slider1->minimum(), Slider1->value() - 1);
}

void frmmain::cmdstep_Click()
{
    moveSlider(Slider1->maximum(), Slider1->value() + 1);
}

void frmmain::mnuplay_Click()
{
    cmdplay_Click();
}

void frmmain::mnupause_Click()
{
    cmdplay1_Click();
}

void frmmain::mnufirst_Click()
{
    cmdback_Click();
}

void frmmain::mnulast_Click()
{
    cmdnext_Click();
}

void frmmain::mnuback_Click()
{
    cmdseek_Click();
}

void frmmain::mnuforward_Click()
{
    cmdstep_Click();
}

void frmmain::mnumute_Click()
{
    if (mnumute->isChecked()) {
        mnumute->setChecked(false);
        cmdmute1->hide();
        cmdmute->show();
        Slider2_Change();
        m_movie.SetVolume(sliderLevel(m_state.volumeLevel));
        m_state.muted = false;
    } else {
        mnumute->setChecked(true);
        cmdmute1->show();
        cmdmute->hide();
        m_movie.SetVolume(kSilence);
        m_state.muted = true;
    }
}

void frmmain::cmdmute_Click()
{
    mnumute_Click();
}

void frmmain::cmdmute1_Click()
{
    mnumute_Click();
}

void frmmain::mnurepeat_Click()
{
    mnurepeat->setChecked(!mnurepeat->isChecked());
}

void frmmain::Slider1_MouseDown()
{
    Timer1->stop();
    m_state.positionHeld = true;
}

void frmmain::Slider1_Click()
{
    m_state.fullScreenActive = false;
    if (m_state.paused) {
        silentSeek();
        return;
    }
    (void)m_movie.SetPosition(Slider1->value());  // a refused move leaves the picture where it is
    yieldOnce();
    if (m_state.positionHeld) {
        m_state.positionHeld = false;
        enableTimer(Timer1);
    }
}

// "12/95 Sec.": the position in whole seconds (0 while not playing), then the duration in its
// shortest decimal form.
void frmmain::Slider1_Change()
{
    const double position = m_movie.GetPosition().valueOr(0.0);
    lbllength->setText(QStringLiteral("%1/%2 Sec.")
                           .arg(roundToInt32Clamped(position))
                           .arg(QString::number(m_movie.GetDuration(), 'f',
                                                QLocale::FloatingPointShortest)));
}

void frmmain::Slider2_Change()
{
    m_state.volumeLevel = Slider2->value();
    m_movie.SetVolume(sliderLevel(m_state.volumeLevel));
}

void frmmain::Timer1_Timer()
{
    if (m_state.loadedFile.isEmpty())
        return;
    const Result<double> position = m_movie.GetPosition();
    if (!position)
        return;
    // A position rounding past the maximum (the duration was rounded down) is the end too.
    const int seconds = std::clamp(roundToInt32Clamped(position.value()), Slider1->minimum(),
                                   Slider1->maximum());
    Slider1->setValue(seconds);
    if (Slider1->value() == Slider1->maximum())
        endOfMedia();
}

void frmmain::endOfMedia()
{
    m_movie.StopMedia();
    if (!mnurepeat->isChecked()) {
        cmdplay1_Click();
        if (m_state.fullScreenActive) {
            // Leaving goes on whatever the video window says.
            (void)m_movie.SetFullScreen(false, mnumute->isChecked());
            m_fullScreen->unloadFrmfull();
        }
        return;
    }
    cmdplay_Click();
    yieldOnce();
    m_movie.PlayMedia();
}

}  // namespace kadrel
