// kadrel-step-bench: the main window's Next Frame and Previous Frame on a video, timed one
// command at a time, the way a user holding the key meets them.
//
//   kadrel-step-bench VIDEO [SECOND]
//
// The window (offscreen unless QT_QPA_PLATFORM says otherwise) opens VIDEO, pauses and moves
// to SECOND (20 by default), a keyframe of a 2 s GOP clip. Then Previous Frame runs through
// the GOP before it, from its last picture back to its keyframe, and Next Frame through the
// same pictures forward. Output, one line per direction and one for memory:
//   previous steps=<n> median_ms=<ms> worst_ms=<ms>
//   next steps=<n> median_ms=<ms> worst_ms=<ms>
//   peak_rss_mb=<VmHWM while stepping back>
// Exit status 1 when a step does not land on the frame it should.

#include "BenchMain.h"
#include "app/frmmain.h"
#include "common/QtPlatform.h"
#include "media/ActiveMovieControl.h"
#include "media/ffmpeg/FfmpegGraph.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kadrel {
namespace {

int fail(const QString& reason)
{
    std::fprintf(stderr, "kadrel-step-bench: %s\n", qPrintable(reason));
    return 1;
}

// The number in the readout "Frame 1234 · 00:00:49.360".
int readoutFrame(const frmmain& window)
{
    return window.lblframe->text().section(u' ', 1, 1).toInt();
}

// Peak resident memory (VmHWM) in MiB; resetPeak starts it afresh from the current size.
double peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

void report(const char* name, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%s steps=%zu median_ms=%.1f worst_ms=%.1f\n", name, ms.size(),
                ms[ms.size() / 2], ms.back());
}

// Runs step count times, timing each; fails unless each lands one frame further by delta.
bool timeSteps(frmmain& window, void (frmmain::*step)(), int delta, int count,
               std::vector<double>& ms)
{
    for (int i = 0; i < count; ++i) {
        const int from = readoutFrame(window);
        QElapsedTimer timer;
        timer.start();
        (window.*step)();
        ms.push_back(timer.nsecsElapsed() / 1e6);
        if (readoutFrame(window) != from + delta)
            return false;
    }
    return true;
}

int bench(const QStringList& args)
{
    if (args.isEmpty())
        return fail(QStringLiteral("usage: kadrel-step-bench VIDEO [SECOND]"));
    QtPlatform desktop;
    ProgramState state;
    ActiveMovieControl movie(state, desktop.platform().screen, makeFfmpegGraph);
    frmmain window(desktop.platform(), state, movie);
    window.Form_Load();
    window.show();
    window.openFile(args[0]);
    if (state.loadedFile.isEmpty() || window.lblframe->text().isEmpty())
        return fail(QStringLiteral("cannot open %1 as a video").arg(args[0]));
    window.cmdplay1_Click();
    window.Slider1->setValue(args.size() > 1 ? args[1].toInt() : 20);
    window.Slider1_Click();
    const int keyframe = readoutFrame(window);
    const int gop = int(std::lround(2.0 / movie.GetTimePerFrame().value()));

    std::vector<double> previous, next;
    resetPeak();
    if (!timeSteps(window, &frmmain::mnuprevframe_Click, -1, gop, previous))
        return fail(QStringLiteral("Previous Frame missed a frame before %1").arg(keyframe));
    const double peak = peakRssMb();
    if (!timeSteps(window, &frmmain::mnunextframe_Click, 1, gop, next))
        return fail(QStringLiteral("Next Frame missed a frame after %1").arg(keyframe - gop));
    report("previous", previous);
    report("next", next);
    std::printf("peak_rss_mb=%.0f\n", peak);
    return 0;
}

}  // namespace
}  // namespace kadrel

int main(int argc, char** argv)
{
    return kadrel::runBench(argc, argv, kadrel::bench);
}
