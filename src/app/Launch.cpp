#include "app/Launch.h"

#include "app/FileDrop.h"
#include "app/UserSettings.h"
#include "dialogs/frmTip.h"

namespace kadrel {

void startProgram(const Launch& launch, std::unique_ptr<frmmain>& mainWindow)
{
    const TipSetup setup{
        [&]() -> QWidget* {
            if (!mainWindow) {
                mainWindow = std::make_unique<frmmain>(launch.platform, launch.state, launch.movie);
                mainWindow->setProgramFolder(launch.dataFolder);
                mainWindow->Form_Load();
                restoreUserSettings(*mainWindow, launch.platform.settings);
                acceptFileDrops(*mainWindow);
            }
            return mainWindow.get();
        },
        launch.platform.settings, launch.platform.screen, launch.dataFolder};
    startThroughTip(setup);
    if (!launch.file.isEmpty() && mainWindow)
        mainWindow->openFile(launch.file);
}

}  // namespace kadrel
