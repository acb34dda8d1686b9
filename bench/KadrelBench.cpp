// kadrel-bench: the program's own bulk loop and frame saving, without a window.
//
//   kadrel-bench capture VIDEO OUTDIR [FROM TO]   writes frame<n>.bmp files
//   kadrel-bench seek VIDEO                       50 random paused moves with a snapshot each
//
// The last line is always "frames=<count> seconds=<wall> fps=<rate>". A file that cannot be
// captured writes nothing: the reason goes to standard error and the exit status is 1.

#include "BenchMain.h"
#include "capture/BulkCapture.h"
#include "common/QtPlatform.h"
#include "media/ActiveMovieControl.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "output/SaveFrame.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace kadrel {
namespace {

int fail(const QString& reason)
{
    std::fprintf(stderr, "kadrel-bench: %s\n", qPrintable(reason));
    return 1;
}

void printRate(long frames, double seconds)
{
    std::printf("frames=%ld seconds=%.3f fps=%.2f\n", frames, seconds,
                seconds > 0 ? frames / seconds : 0.0);
}

class Bench {
public:
    Bench() : m_control(m_state, m_screen, makeFfmpegGraph) {}

    // Opens the video and checks its frame time; false (with the reason printed) otherwise.
    bool open(const QString& path)
    {
        if (const Status s = m_control.OpenMedia(path); !s) {
            fail(s.text());
            return false;
        }
        const Result<double> t = m_control.GetTimePerFrame();
        if (!t) {
            fail(QStringLiteral("%1: %2").arg(path, t.status().text()));
            return false;
        }
        // As the bulk run starts: silent and paused.
        m_control.SetVolume(-10000);
        m_control.PauseMedia();
        return true;
    }

    int capture(const QString& outDir, const QStringList& range)
    {
        const Result<CapturePlan> whole = CapturePlan::wholeVideo(m_control);
        if (!whole)
            return fail(whole.status().text());
        const CapturePlan plan = range.size() == 2
                                     ? whole.value().range(range[0].toInt(), range[1].toInt())
                                     : whole.value();
        if (!QDir().mkpath(outDir))
            return fail(QStringLiteral("cannot create %1").arg(outDir));
        QElapsedTimer wall;
        wall.start();
        // The window's yields: after the move and after the file is handed over.
        const auto yield = [](std::int32_t) { QCoreApplication::processEvents(); };
        const BulkResult run = runBulkCapture(m_control, plan, {}, {outDir}, {{}, yield, yield});
        if (run.end != BulkResult::End::Completed)
            return fail(run.failure.status.text());
        const long frames = run.handed;
        printRate(frames, wall.nsecsElapsed() / 1e9);
        return 0;
    }

    int seek()
    {
        QTemporaryDir dir;
        const QString snapshot = dir.filePath(QStringLiteral("snapshot.bmp"));
        std::mt19937 random(2024);
        std::uniform_real_distribution<double> position(0.0, m_control.GetDuration());
        std::vector<double> latencies;
        QStringList times;  // for the same moves by other programs
        QElapsedTimer wall;
        wall.start();
        for (int i = 0; i < 50; ++i) {
            QElapsedTimer one;
            one.start();
            const double t = position(random);
            times << QString::number(t, 'f', 3);
            if (const Status s = moveToCaptureTime(m_control, t); !s)
                return fail(s.text());
            if (const Status s = saveFrame(m_control, snapshot); !s)
                return fail(s.text());
            latencies.push_back(one.nsecsElapsed() / 1e6);
        }
        const double seconds = wall.nsecsElapsed() / 1e9;
        std::sort(latencies.begin(), latencies.end());
        std::printf("times=%s\n", qPrintable(times.join(QLatin1Char(' '))));
        std::printf("median_ms=%.1f worst_ms=%.1f\n",
                    (latencies[24] + latencies[25]) / 2, latencies.back());
        printRate(static_cast<long>(latencies.size()), seconds);
        return 0;
    }

private:
    ProgramState m_state;
    QtScreenMetrics m_screen;
    ActiveMovieControl m_control;
};

int usage()
{
    return fail(QStringLiteral("usage: kadrel-bench capture VIDEO OUTDIR [FROM TO] | seek VIDEO"));
}

}  // namespace
}  // namespace kadrel

int main(int argc, char** argv)
{
    return kadrel::runBench(argc, argv, [](const QStringList& args) {
        const bool capture = args.size() >= 3 && args.size() != 4 && args.size() <= 5
                             && args[0] == QLatin1String("capture");
        const bool seek = args.size() == 2 && args[0] == QLatin1String("seek");
        if (!capture && !seek)
            return kadrel::usage();
        kadrel::Bench bench;
        if (!bench.open(args[1]))
            return 1;
        return capture ? bench.capture(args[2], args.mid(3)) : bench.seek();
    });
}
