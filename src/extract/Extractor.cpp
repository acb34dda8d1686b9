#include "extract/Extractor.h"

#include "capture/BulkCapture.h"
#include "common/QtPlatform.h"
#include "media/ActiveMovieControl.h"
#include "media/Volume.h"
#include "media/ffmpeg/FfmpegGraph.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cmath>

namespace kadrel {

namespace {

// The one progress line, redrawn at most ten times a second.
class Progress {
public:
    Progress(const ExtractConsole& console, int total) : m_console(console), m_total(total)
    {
        m_clock.start();
    }

    void show(int done, bool force = false)
    {
        if (!m_console.terminal || (!force && m_clock.elapsed() - m_shownAt < 100))
            return;
        m_shownAt = m_clock.elapsed();
        const double rate = fps(done);
        const int left = rate > 0 ? int(std::lround((m_total - done) / rate)) : 0;
        std::fprintf(m_console.messages, "\r%d/%d frames  %.1f fps  %d:%02d left\033[K", done,
                     m_total, rate, left / 60, left % 60);
        std::fflush(m_console.messages);
    }

    // Ends the progress line; the summary goes on a line of its own.
    void finish(int done)
    {
        show(done, true);
        if (m_console.terminal)
            std::fputc('\n', m_console.messages);
    }

    double seconds() const { return m_clock.nsecsElapsed() / 1e9; }
    double fps(int done) const { return seconds() > 0 ? done / seconds() : 0.0; }

private:
    const ExtractConsole& m_console;
    int m_total;
    QElapsedTimer m_clock;
    qint64 m_shownAt = -1000;
};

int say(const ExtractConsole& console, int status, const QString& text)
{
    std::fprintf(console.messages, "kadrel-extract: %s\n", qPrintable(text));
    return status;
}

// "FILE: reason", unless the reason names the file already.
QString fileFailure(const FileStatus& failure)
{
    const QString& reason = failure.status.description();
    if (failure.path.isEmpty() || reason.contains(failure.path))
        return reason;
    return failure.path + QStringLiteral(": ") + reason;
}

class Extraction {
public:
    Extraction(const ExtractOptions& options, const ExtractConsole& console)
        : m_options(options), m_console(console),
          m_movie(m_state, m_screen, ffmpegGraphsStoppedBy([this] { return stopRequested(); }),
                  [] {})
    {
    }

    int run()
    {
        if (const Status opened = m_movie.OpenMedia(m_options.video); !opened)
            return stopRequested() ? interrupted(0) : videoFailure(opened);
        const Result<CapturePlan> whole = CapturePlan::wholeVideo(m_movie);
        if (!whole)
            return videoFailure(whole.status());
        m_movie.SetVolume(kSilentVolume);
        m_movie.PauseMedia();
        const int last = whole.value().lastFrame;
        const int from = m_options.from.value_or(0);
        const int to = m_options.to.value_or(last);
        if (from > last || to > last) {
            std::fprintf(m_console.messages, "kadrel-extract: %s: frame %d is past the end (the "
                                             "last frame is %d)\n%s",
                         qPrintable(m_options.video), std::max(from, to), last,
                         qPrintable(extractUsage()));
            return kExtractUsage;
        }
        if (!QDir().mkpath(m_options.outputFolder))
            return say(m_console, kExtractFailed,
                       QStringLiteral("%1: the folder cannot be made").arg(m_options.outputFolder));
        return extract(whole.value().range(from, to));
    }

private:
    // The bulk loop of the window, with a progress line for its counter.
    int extract(const CapturePlan& plan)
    {
        Progress progress(m_console, plan.frameCount());
        const BulkCallbacks callbacks{[this] { return stopRequested(); }, {},
                                      [&](std::int32_t handed) {
                                          QCoreApplication::processEvents();
                                          progress.show(handed);
                                      }};
        const BulkResult run = runBulkCapture(
            m_movie, plan, {m_options.outputFolder, m_options.format, m_options.quality},
            callbacks);
        const int handed = run.handed;
        progress.finish(handed);
        // A read that gave up on a stop fails in the video's name: that is the interruption.
        const bool videoStopped = run.end == BulkResult::End::Failed && stopRequested()
                                  && run.failure.path == m_options.video;
        if (run.end == BulkResult::End::Stopped || videoStopped)
            return interrupted(handed);
        if (run.end == BulkResult::End::Failed)
            return say(m_console, kExtractFailed, fileFailure(run.failure));
        if (!m_options.quiet)
            say(m_console, kExtractDone,
                QStringLiteral("%1 frames (%2 to %3) written to %4 in %5 s, %6 frames/s")
                    .arg(handed).arg(plan.firstFrame).arg(plan.lastFrame)
                    .arg(QDir::toNativeSeparators(m_options.outputFolder))
                    .arg(progress.seconds(), 0, 'f', 2).arg(progress.fps(handed), 0, 'f', 1));
        return kExtractDone;
    }

    bool stopRequested() const { return m_console.stopRequested && m_console.stopRequested(); }

    int interrupted(int handed) const
    {
        return say(m_console, kExtractInterrupted,
                   QStringLiteral("interrupted after %1 frames").arg(handed));
    }

    int videoFailure(const Status& status) const
    {
        return say(m_console, kExtractFailed, fileFailure({m_options.video, status}));
    }

    const ExtractOptions& m_options;
    const ExtractConsole& m_console;
    ProgramState m_state;
    QtScreenMetrics m_screen;
    ActiveMovieControl m_movie;
};

}  // namespace

int runExtract(const ExtractOptions& options, const ExtractConsole& console)
{
    ExtractConsole shown = console;
    shown.terminal = console.terminal && !options.quiet;
    return Extraction(options, shown).run();
}

}  // namespace kadrel
