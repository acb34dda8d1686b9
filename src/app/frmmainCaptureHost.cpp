// The main window as the capture settings see it: the position slider, the controls a bulk
// run turns off, and the commands it keeps out of reach while it runs.

#include "app/frmmain.h"

#include "common/UserFolders.h"

namespace kadrel {

int frmmain::slider1Minimum() const
{
    return Slider1->minimum();
}

void frmmain::setSlider1Value(int seconds)
{
    Slider1->setValue(seconds);
}

void frmmain::showFrameReadout()
{
    m_transport->showFrame();
}

QString frmmain::defaultOutputFolder() const
{
    return kadrel::defaultOutputFolder();
}

void frmmain::setFrame1Enabled(bool enabled)
{
    Frame1->setEnabled(enabled);
}

void frmmain::setCmdcaptureEnabled(bool enabled)
{
    cmdcapture->setEnabled(enabled);
}

// Opening or closing media, moving it, switching to full screen, mute and repeat would all
// disturb the frames being written.
std::vector<QAction*> frmmain::runLockedCommands() const
{
    std::vector<QAction*> commands{mnuopen, mnuclose, mnucontrol->menuAction(),
                                   mnutools->menuAction()};
    for (QMenu* menu : {mnucontrol, mnutools})
        for (QAction* item : menu->actions())
            commands.push_back(item);
    return commands;
}

void frmmain::lockForRun()
{
    // Cancel Capture and the counter are in Frame3, which a folder's runs may find disabled
    // (no media open); their end brings it in line with the media again.
    Frame3->setEnabled(true);
    m_runLocked.clear();
    for (QAction* command : runLockedCommands()) {
        m_runLocked.emplace_back(command, command->isEnabled());
        command->setEnabled(false);
    }
}

void frmmain::unlockAfterRun()
{
    for (const auto& [command, enabled] : m_runLocked)
        command->setEnabled(enabled);
    m_runLocked.clear();
    // The run leaves the media on the last frame it wrote.
    m_transport->showFrame();
}

}  // namespace kadrel
