// Shows one dialog over a stand-in main window, for dialogs.sh:
//   kadrel_dialog_gallery startup|info|about [seconds]
// "startup" goes through the tip window as the program does, with settings of its own in a
// temporary folder; "about" runs the marquee until the link is in view. The program quits by
// itself after the given number of seconds (10 by default).

#include "common/QtPlatform.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmTip.h"
#include "dialogs/frminfo.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<QWidget> makeMainStandIn(kadrel::ScreenMetrics& screen)
{
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Kadrel - Video Image Extractor"));
    window->setGeometry(kadrel::pxRect(300, 300, 10395, 5325, screen.twipsPerPixel()));
    auto* note = new QLabel(QStringLiteral("main window stand-in"), window.get());
    note->move(20, 20);
    return window;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("startup");
    const int seconds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 10;

    kadrel::QtScreenMetrics screen;
    kadrel::QtShell shell;
    kadrel::QtMessageBox messageBox;
    QTemporaryDir settingsFolder;
    kadrel::QtSettingsStore settings(settingsFolder.filePath(QStringLiteral("Kadrel.ini")));
    std::unique_ptr<QWidget> mainWindow;
    auto loadMain = [&]() -> QWidget* {
        if (!mainWindow)
            mainWindow = makeMainStandIn(screen);
        return mainWindow.get();
    };

    if (which == QLatin1String("startup")) {
        kadrel::startThroughTip({.loadMainWindow = loadMain, .settings = settings, .screen = screen});
    } else if (which == QLatin1String("info")) {
        loadMain()->show();
        kadrel::frminfo::open(mainWindow.get(), screen, QCoreApplication::applicationFilePath(), 90.5);
    } else if (which == QLatin1String("about")) {
        loadMain()->show();
        kadrel::frmAbout* about = kadrel::frmAbout::open(mainWindow.get(), shell, messageBox, screen);
        about->Timer1->stop();
        for (int i = 0; i < 30; ++i)
            about->Timer1_Timer();
    } else {
        std::fprintf(stderr, "usage: %s startup|info|about [seconds]\n", argv[0]);
        return 2;
    }
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
