// Which commands respond in which media situation: fixed sets of assignments applied when the
// situation changes, and the menus that bring their items into line as they drop down.

#include "app/frmmain.h"

#include "capture/CaptureSettings.h"
#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"
#include "fullscreen/frmfull.h"

namespace kadrel {

void frmmain::activate()
{
    cmdplay->setEnabled(true);
    cmdinfo->setEnabled(true);
    Slider1->setEnabled(true);
}

// Sound only: nothing that needs a picture. Also switches off what a video opened before
// left on (full screen, bulk capture), since no other set runs in between.
void frmmain::enableaudio()
{
    cmdplay1->setEnabled(true);
    mnufullscreen->setEnabled(false);
    mnucapture->setEnabled(false);
    cmdcapture->setEnabled(false);
    cmdnext->setEnabled(true);
    cmdback->setEnabled(true);
    cmdseek->setEnabled(false);
    cmdstep->setEnabled(false);
    mnuinfo->setEnabled(true);
    cmdnormal->setEnabled(false);
    cmdfullscreen->setEnabled(false);
    cmdbulkcapture->setEnabled(false);
    Frame3->setEnabled(false);
    enableFrameItems(false);
}

void frmmain::enablevideo()
{
    cmdplay1->setEnabled(true);
    mnufullscreen->setEnabled(true);
    mnucapture->setEnabled(true);
    cmdcapture->setEnabled(true);
    cmdnormal->setEnabled(false);
    cmdfullscreen->setEnabled(true);
    mnuinfo->setEnabled(true);
    cmdnext->setEnabled(true);
    cmdback->setEnabled(true);
    cmdseek->setEnabled(true);
    cmdstep->setEnabled(true);
    cmdbulkcapture->setEnabled(true);
    Frame3->setEnabled(true);
    enableFrameItems(true);
}

void frmmain::disable()
{
    mnufullscreen->setEnabled(false);
    mnucapture->setEnabled(false);
    cmdcapture->setEnabled(false);
    cmdnext->setEnabled(false);
    cmdback->setEnabled(false);
    cmdseek->setEnabled(false);
    cmdstep->setEnabled(false);
    mnuinfo->setEnabled(false);
    cmdinfo->setEnabled(false);
    cmdplay->setEnabled(false);
    Slider1->setEnabled(false);
    cmdplay->show();
    cmdplay1->setEnabled(false);
    cmdnormal->setEnabled(false);
    cmdfullscreen->setEnabled(false);
    Slider1->setValue(Slider1->minimum());
    cmdbulkcapture->setEnabled(false);
    cmdcancel->setEnabled(false);
    Frame3->setEnabled(false);
    enableFrameItems(false);
    lblframe->clear();
}

// With no media loaded the items keep what they were last given.
void frmmain::mnucontrol_Click()
{
    if (m_state.loadedFile.isEmpty() || runLocked())
        return;
    mnuplay->setEnabled(!cmdplay->isHidden());
    mnupause->setEnabled(!cmdplay1->isHidden());
    mnulast->setEnabled(enabledFlag(cmdnext));
    mnufirst->setEnabled(enabledFlag(cmdback));
    mnuforward->setEnabled(enabledFlag(cmdstep));
    mnuback->setEnabled(enabledFlag(cmdseek));
}

void frmmain::passcontolstate()
{
    m_fullScreen->passcontolstate();
}

Status frmmain::activatebulk()
{
    return capture->activatebulk();
}

void frmmain::disable_bulk()
{
    capture->disable_bulk();
}

void frmmain::enable_bulk()
{
    capture->enable_bulk();
}

}  // namespace kadrel
