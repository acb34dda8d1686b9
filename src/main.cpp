// Kadrel: plays a video file and saves its frames as bitmap files.

#include "app/frmmain.h"
#include "common/QtPlatform.h"
#include "dialogs/frmTip.h"
#include "media/ActiveMovieControl.h"
#include "media/ffmpeg/FfmpegGraph.h"

#include <QApplication>

#include <memory>

namespace {

// The program starts through the tip window, which loads the main window first.
void startUp(kadrel::Platform& platform, kadrel::ProgramState& state,
             kadrel::ActiveMovieControl& movie, std::unique_ptr<kadrel::frmmain>& mainWindow)
{
    const kadrel::TipSetup setup{
        [&]() -> QWidget* {
            if (!mainWindow) {
                mainWindow = std::make_unique<kadrel::frmmain>(platform, state, movie);
                mainWindow->Form_Load();
            }
            return mainWindow.get();
        },
        platform.settings, platform.screen, QCoreApplication::applicationDirPath()};
    kadrel::startThroughTip(setup);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kadrel"));
    QApplication::setOrganizationName(QStringLiteral("Kadrel"));

    kadrel::QtPlatform desktop;
    kadrel::ProgramState state;
    kadrel::ActiveMovieControl movie(state, desktop.platform().screen, kadrel::makeFfmpegGraph);
    movie.setFrameWriter(kadrel::makeFrameFileWriter());
    std::unique_ptr<kadrel::frmmain> mainWindow;  // destroyed before the session it uses
    startUp(desktop.platform(), state, movie, mainWindow);
    return app.exec();
}
