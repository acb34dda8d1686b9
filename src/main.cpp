// Kadrel: plays a video file and saves its frames as image files.
//
//   kadrel [FILE]

#include "app/Launch.h"
#include "app/UserSettings.h"
#include "common/QtPlatform.h"
#include "common/UserFolders.h"
#include "media/ActiveMovieControl.h"
#include "media/ffmpeg/FfmpegGraph.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace {

// The file named on the command line, if any; --help and --version end the program here.
QString fileToOpen(const QApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays a video and saves its frames as BMP, PNG or JPEG images."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The video to open."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return {};
    if (!QFileInfo(files.first()).isFile())
        std::fprintf(stderr, "kadrel: %s: no such file\n", qPrintable(files.first()));
    return QFileInfo(files.first()).absoluteFilePath();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kadrel"));
    QApplication::setOrganizationName(QStringLiteral("Kadrel"));
    QApplication::setApplicationVersion(QStringLiteral(KADREL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kadrel.Kadrel"));
    const QString file = fileToOpen(app);

    kadrel::QtPlatform desktop;
    kadrel::ProgramState state;
    kadrel::ActiveMovieControl movie(state, desktop.platform().screen, kadrel::makeFfmpegGraph);
    std::unique_ptr<kadrel::frmmain> mainWindow;  // destroyed before the session it uses
    kadrel::startProgram({desktop.platform(), state, movie,
                          kadrel::programDataFolder(QCoreApplication::applicationDirPath()), file},
                         mainWindow);
    const int status = app.exec();
    if (mainWindow)
        kadrel::saveUserSettings(*mainWindow, desktop.platform().settings);
    return status;
}
