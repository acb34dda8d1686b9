// The transport panel: play and pause, the moves by whole seconds, mute, repeat, the two
// sliders and the one-second position timer with the end of the media.

#include "app/frmmain.h"

#include "common/Rounding.h"
#include "fullscreen/FullScreenMode.h"

#include <QLocale>

namespace kadrel {

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
    m_transport->showPlaying();
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
    m_transport->showPaused();
    lblstate->setText(QStringLiteral("Paused"));
}

void frmmain::cmdback_Click()
{
    m_transport->toStart();
}

void frmmain::cmdnext_Click()
{
    m_transport->toEnd();
}

void frmmain::cmdseek_Click()
{
    m_transport->stepBack();
}

void frmmain::cmdstep_Click()
{
    m_transport->stepForward();
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
    m_transport->toggleMute();
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
    m_transport->press();
}

void frmmain::Slider1_Click()
{
    m_state.fullScreenActive = false;
    m_transport->release();
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
    m_transport->volumeChanged();
}

void frmmain::Timer1_Timer()
{
    if (!m_state.loadedFile.isEmpty())
        m_transport->tick();
}

void frmmain::unloadFrmfull()
{
    m_fullScreen->unloadFrmfull();
}

}  // namespace kadrel
