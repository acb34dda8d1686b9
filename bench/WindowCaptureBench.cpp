// kadrel-window-bench: the capture settings frame's own bulk run, started with its Begin
// Capture handler on a shown window, timed from the click until the run returns.
//
//   kadrel-window-bench VIDEO OUTDIR
//
// The last line is "frames=<count> seconds=<wall> fps=<rate>", as kadrel-bench prints it.
// Messages go to standard error instead of a box; a failed run exits with status 1.

#include "BenchMain.h"
#include "capture/CaptureHost.h"
#include "capture/CaptureSettings.h"
#include "common/QtPlatform.h"
#include "media/ActiveMovieControl.h"
#include "media/ffmpeg/FfmpegGraph.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>

#include <cstdio>

namespace kadrel {
namespace {

class PrintedMessages final : public MessageBoxService {
public:
    void show(QWidget*, const QString& text, const QString& title, MessageIcon icon) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        failed = failed || icon != MessageIcon::Information;
    }
    bool failed = false;
};

// The least of a main window: its pause command and volume slider act on the session.
class BenchHost final : public CaptureHost {
public:
    BenchHost(ProgramState& state, ActiveMovieControl& movie) : m_state(state), m_movie(movie) {}

    void cmdplay1_Click() override
    {
        m_movie.PauseMedia();
        m_state.paused = true;
    }
    int slider1Minimum() const override { return 0; }
    void setSlider1Value(int) override {}
    void Slider1_Click() override {}
    void Slider2_Change() override { m_movie.SetVolume(0); }
    void setFrame1Enabled(bool) override {}
    void setCmdcaptureEnabled(bool) override {}
    void lockForRun() override {}
    void unlockAfterRun() override {}
    QString defaultOutputFolder() const override { return QCoreApplication::applicationDirPath(); }
    QWidget* mainWindow() override { return &window; }
    Status openVideo(const QString& path) override { return m_movie.OpenMedia(path); }
    void showMediaState() override {}
    void showFrameReadout() override {}

    QWidget window;

private:
    ProgramState& m_state;
    ActiveMovieControl& m_movie;
};

int run(const QString& video, const QString& outDir)
{
    QtPlatform qt;
    PrintedMessages messages;
    Platform& base = qt.platform();
    Platform platform{messages, base.fileDialog, base.shell, base.settings,
                      base.screen, base.cursor, base.clock};
    ProgramState state;
    ActiveMovieControl movie(state, platform.screen, makeFfmpegGraph);
    BenchHost host(state, movie);
    CaptureSettings settings(state, movie, platform, host, &host.window);
    host.window.resize(settings.size());
    host.window.show();

    if (const Status opened = movie.OpenMedia(video); !opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.text()));
        return 1;
    }
    state.loadedFile = video;
    if (const Status prepared = settings.activatebulk(); !prepared) {
        std::fprintf(stderr, "%s\n", qPrintable(prepared.text()));
        return 1;
    }
    settings.txtout->setText(outDir);
    QCoreApplication::processEvents();

    QElapsedTimer wall;
    wall.start();
    settings.cmdbulkcapture_Click();
    const double seconds = wall.nsecsElapsed() / 1e9;

    const qsizetype frames =
        QDir(outDir).entryList({QStringLiteral("frame*.bmp")}, QDir::Files).size();
    std::printf("frames=%lld seconds=%.3f fps=%.2f\n", static_cast<long long>(frames), seconds,
                seconds > 0 ? frames / seconds : 0.0);
    return messages.failed ? 1 : 0;
}

}  // namespace
}  // namespace kadrel

int main(int argc, char** argv)
{
    return kadrel::runBench(argc, argv, [](const QStringList& args) {
        if (args.size() != 2) {
            std::fprintf(stderr, "usage: kadrel-window-bench VIDEO OUTDIR\n");
            return 1;
        }
        return kadrel::run(args[0], args[1]);
    });
}
