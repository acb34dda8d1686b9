// Full-screen playback of a generated clip through the real main window, with the control
// panel brought up by a one-pixel move of the pointer; used by fullscreen.sh, not by CTest.
// Prints "ready" once the panel is on screen and quits a few seconds later.

#include "app/frmmain.h"
#include "common/QtPlatform.h"
#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"
#include "media/ActiveMovieControl.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"

#include <QApplication>
#include <QCursor>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

// The Open dialog, answered with the generated clip.
class ClipDialog final : public kadrel::FileDialogService {
public:
    explicit ClipDialog(QString clip) : m_clip(std::move(clip)) {}
    QString exec(QWidget*, const kadrel::FileDialogRequest&) override { return m_clip; }

private:
    QString m_clip;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    kadrel::test::ClipSpec recipe;
    recipe.content = kadrel::test::ClipSpec::Content::ColourBars;
    recipe.width = 640;
    recipe.height = 360;
    recipe.frames = 250;
    const QString clip = dir.filePath(QStringLiteral("bars.avi"));
    if (const kadrel::Status made = kadrel::test::generateClip(recipe, clip); !made) {
        std::fprintf(stderr, "%s\n", qPrintable(made.text()));
        return 1;
    }

    kadrel::QtMessageBox messageBox;
    ClipDialog fileDialog(clip);
    kadrel::QtShell shell;
    kadrel::QtSettingsStore settings(dir.filePath(QStringLiteral("Kadrel.ini")));
    kadrel::QtScreenMetrics screen;
    kadrel::QtCursor cursor;
    kadrel::SteadyTickClock clock;
    kadrel::Platform platform{messageBox, fileDialog, shell, settings, screen, cursor, clock};
    kadrel::ProgramState state;
    kadrel::ActiveMovieControl movie(state, screen, kadrel::makeFfmpegGraph);
    kadrel::frmmain mainWindow(platform, state, movie);
    mainWindow.setProgramEnd([] { QCoreApplication::quit(); });
    mainWindow.Form_Load();
    mainWindow.show();
    mainWindow.mnuopen_Click();

    QTimer::singleShot(1000, [&] { mainWindow.cmdfullscreen_Click(); });
    QTimer::singleShot(2000, [] { QCursor::setPos(QCursor::pos() + QPoint(1, 0)); });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        kadrel::FullScreenMode& mode = mainWindow.fullScreenMode();
        if (!mode.frmcontrolLoaded() || !mode.frmcontrol().isVisible())
            return;
        watch.stop();
        std::printf("ready\n");
        std::fflush(stdout);
        QTimer::singleShot(2000, [] { QCoreApplication::quit(); });
    });
    watch.start(100);
    QTimer::singleShot(15000, [] { QCoreApplication::quit(); });
    return app.exec();
}
