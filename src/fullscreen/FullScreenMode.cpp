#include "fullscreen/FullScreenMode.h"

#include "fullscreen/frmcontrol.h"
#include "fullscreen/frmfull.h"
#include "media/Volume.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace kadrel {

namespace {

using Control = MainWindowLink::Control;
using Slider = MainWindowLink::Slider;

// Off the screen at once; deleted when the event loop next runs, since the unload may have
// started in one of the window's own handlers.
void discard(QWidget* window)
{
    window->hide();
    window->deleteLater();
}

}  // namespace

FullScreenMode::FullScreenMode(ProgramState& state, ActiveMovieControl& movie,
                               Platform& platform, MainWindowLink& mainWindow, Yield yield)
    : m_state(state),
      m_movie(movie),
      m_platform(platform),
      m_mainWindow(mainWindow),
      m_yield(std::move(yield))
{
}

FullScreenMode::~FullScreenMode()
{
    // The video must not go down with the full-screen window.
    if (m_frmfull && m_state.fullScreenActive)
        (void)m_movie.SetFullScreen(false, true);  // leaving goes on whatever the video window says
    delete m_frmcontrol.data();
    delete m_frmfull.data();
}

frmfull& FullScreenMode::frmfull()
{
    if (!m_frmfull) {
        // Known before Form_Load runs, so that anything it asks for finds this window.
        m_frmfull = new kadrel::frmfull(*this);
        m_frmfull->Form_Load();
    }
    return *m_frmfull;
}

frmcontrol& FullScreenMode::frmcontrol()
{
    if (!m_frmcontrol) {
        m_frmcontrol = new kadrel::frmcontrol(*this);
        m_frmcontrol->Form_Load();
    }
    return *m_frmcontrol;
}

bool FullScreenMode::frmfullLoaded() const
{
    return !m_frmfull.isNull();
}

bool FullScreenMode::frmcontrolLoaded() const
{
    return !m_frmcontrol.isNull();
}

void FullScreenMode::unloadFrmfull()
{
    if (!m_frmfull || m_unloadingFrmfull)
        return;
    m_unloadingFrmfull = true;
    if (m_state.fullScreenActive)
        // Leaving goes on whatever the video window says.
        (void)m_movie.SetFullScreen(false, m_mainWindow.muteChecked());
    m_frmfull->Form_QueryUnload();
    m_frmfull->stopTimers();
    discard(m_frmfull);
    m_frmfull.clear();
    m_unloadingFrmfull = false;
}

void FullScreenMode::unloadFrmcontrol()
{
    if (!m_frmcontrol || m_unloadingFrmcontrol)
        return;
    m_unloadingFrmcontrol = true;
    m_frmcontrol->Form_QueryUnload();
    m_frmcontrol->Timer1.setEnabled(false);
    discard(m_frmcontrol);
    m_frmcontrol.clear();
    m_unloadingFrmcontrol = false;
}

ActiveMovieControl::HostLoader FullScreenMode::hostLoader()
{
    return [this]() -> QWidget* { return &frmfull(); };
}

Status FullScreenMode::enter()
{
    // Sound-only media has nothing to show full screen: refused before anything changes.
    if (const Result<double> frameTime = m_movie.GetTimePerFrame(); !frameTime)
        return frameTime.status();
    passcontolstate();
    if (Status moved = m_movie.SetFullScreen(true, m_mainWindow.muteChecked()); !moved) {
        // Everything back as it was: the video in the picture box, the sound at its level.
        if (!m_movie.SetFullScreen(false, m_mainWindow.muteChecked()))
            m_movie.SetVolume(shownVolume(m_mainWindow.muteChecked(), m_state.volumeLevel));
        unloadFrmcontrol();
        unloadFrmfull();
        return moved;
    }
    m_mainWindow.hideWindow();
    frmfull().Show();
    return {};
}

void FullScreenMode::leave()
{
    // Leaving goes on whatever the video window says.
    (void)m_movie.SetFullScreen(false, m_mainWindow.muteChecked());
    unloadFrmcontrol();
    unloadFrmfull();
}

void FullScreenMode::passcontolstate()
{
    kadrel::frmcontrol& panel = frmcontrol();
    const MainWindowLink& main = m_mainWindow;
    for (QWidget* c : {panel.cmdplay1, panel.cmdnormal, panel.cmdnext, panel.cmdback,
                       panel.cmdseek, panel.cmdstep})
        c->setEnabled(true);
    panel.Slider1->setEnabled(true);
    const MainWindowLink::SliderState position = main.slider(Slider::Slider1);
    panel.Slider1->setMinimum(position.min);
    panel.Slider1->setMaximum(position.max);
    panel.cmdback->setEnabled(main.enabled(Control::cmdback));
    panel.cmdmute->setVisible(main.visible(Control::cmdmute));
    panel.cmdmute1->setVisible(main.visible(Control::cmdmute1));
    panel.cmdnext->setEnabled(main.enabled(Control::cmdnext));
    panel.cmdplay->setVisible(main.visible(Control::cmdplay));
    panel.cmdplay1->setVisible(main.visible(Control::cmdplay1));
    panel.cmdseek->setEnabled(main.enabled(Control::cmdseek));
    panel.cmdstep->setEnabled(main.enabled(Control::cmdstep));
    panel.Timer1.setEnabled(main.enabled(Control::Timer1));
    panel.Slider1->setValue(position.value);
    panel.Slider2->setValue(main.slider(Slider::Slider2).value);
    panel.cmdnormal->setEnabled(true);
    panel.lblframe->setText(main.frameReadout());
}

}  // namespace kadrel
