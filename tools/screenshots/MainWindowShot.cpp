// Puts the real main window on the screen for main-window.sh: prints EMPTY and shows the
// window with no media for two seconds; then opens a generated clip through the Open command,
// plays it, saves the frame on show through the capture command, plays on, prints READY and
// waits to be ended.
//
// Usage: kadrel_main_window_shot OUTPUT-FOLDER

#include "app/frmmain.h"
#include "common/QtPlatform.h"
#include "media/ActiveMovieControl.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

// Answers every Open or Save dialog with the path set last, as a person who knows what they
// want would.
class AnsweringFileDialog final : public kadrel::FileDialogService {
public:
    QString exec(QWidget*, const kadrel::FileDialogRequest&) override { return answer; }
    QString answer;
};

void runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString clip = out.filePath(QStringLiteral("clip.avi"));
    kadrel::test::ClipSpec recipe;
    recipe.width = 320;
    recipe.height = 240;
    recipe.frames = 250;
    recipe.withAudio = true;
    if (const kadrel::Status made = kadrel::test::generateClip(recipe, clip); !made) {
        std::fprintf(stderr, "%s\n", qPrintable(made.text()));
        return 1;
    }

    kadrel::QtPlatform desktop;
    AnsweringFileDialog dialog;
    const kadrel::Platform& real = desktop.platform();
    kadrel::Platform platform{real.messageBox, dialog,       real.shell, real.settings,
                              real.screen,     real.cursor, real.clock};
    kadrel::ProgramState state;
    kadrel::ActiveMovieControl movie(state, platform.screen, kadrel::makeFfmpegGraph);
    kadrel::frmmain window(platform, state, movie);
    window.setProgramEnd([] {});
    window.Form_Load();
    window.show();
    runFor(300);
    say(QStringLiteral("EMPTY"));
    runFor(2000);

    dialog.answer = clip;
    window.mnuopen_Click();
    runFor(1700);

    const QString frame = out.filePath(QStringLiteral("frame-on-show.bmp"));
    dialog.answer = frame;
    window.mnucapture_Click();
    say(QStringLiteral("saved %1: frame %2")
            .arg(frame)
            .arg(kadrel::test::frameIndexFromBitmap(frame)));

    window.cmdplay_Click();
    runFor(2300);
    say(QStringLiteral("READY"));
    runFor(60000);
    return 0;
}
