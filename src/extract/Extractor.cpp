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
#include <optional>
#include <utility>

namespace kadrel {

namespace {

// The one progress line, redrawn at most ten times a second.
class Progress {
public:
    // total: the files the run writes, or none when the selection finds them as it goes.
    Progress(const ExtractConsole& console, std::optional<int> total, QString prefix)
        : m_console(console), m_total(total), m_prefix(std::move(prefix))
    {
        m_clock.start();
    }

    void show(int done, bool force = false)
    {
        if (!m_console.terminal || (!force && m_clock.elapsed() - m_shownAt < 100))
            return;
        m_shownAt = m_clock.elapsed();
        const double rate = fps(done);
        if (!m_total) {
            std::fprintf(m_console.messages, "\r%s%d frames  %.1f fps\033[K", qPrintable(m_prefix),
                         done, rate);
        } else {
            const int left = rate > 0 ? int(std::lround((*m_total - done) / rate)) : 0;
            std::fprintf(m_console.messages, "\r%s%d/%d frames  %.1f fps  %d:%02d left\033[K",
                         qPrintable(m_prefix), done, *m_total, rate, left / 60, left % 60);
        }
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
    std::optional<int> m_total;
    QString m_prefix;
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

// One video's run.
class Extraction {
public:
    Extraction(const ExtractOptions& options, const ExtractConsole& console, QString video,
               QString prefix)
        : m_options(options), m_console(console), m_video(std::move(video)),
          m_folder(options.folderFor(m_video)), m_prefix(std::move(prefix)),
          m_movie(m_state, m_screen, ffmpegGraphsStoppedBy([this] { return stopRequested(); }),
                  [] {})
    {
        (void)m_movie.SetToneMapping(!options.keepHdr);  // no media yet: it cannot fail
        (void)m_movie.SetDeinterlace(options.deinterlace);
    }

    int run()
    {
        if (const Status opened = m_movie.OpenMedia(m_video); !opened)
            return stopRequested() ? interrupted(0) : videoFailure(opened);
        const Result<CapturePlan> whole = CapturePlan::wholeVideo(m_movie);
        if (!whole)
            return videoFailure(whole.status());
        m_movie.SetVolume(kSilentVolume);
        m_movie.PauseMedia();
        const CapturePlan& plan = whole.value();
        const int last = plan.lastFrame;
        const int from = m_options.from ? m_options.from->in(plan) : 0;
        const int to = m_options.to ? m_options.to->in(plan) : last;
        if (from > last || to > last) {
            std::fprintf(m_console.messages, "kadrel-extract: %s: frame %d is past the end (the "
                                             "last frame is %d)\n%s",
                         qPrintable(m_video), std::max(from, to), last,
                         qPrintable(extractUsage()));
            return kExtractUsage;
        }
        if (!QDir().mkpath(m_folder))
            return say(m_console, kExtractFailed,
                       QStringLiteral("%1: the folder cannot be made").arg(m_folder));
        return extract(plan.range(from, to));
    }

private:
    // The bulk loop of the window, with a progress line for its counter.
    int extract(const CapturePlan& plan)
    {
        Progress progress(m_console, selectedCount(m_options.selection, plan), m_prefix);
        const BulkCallbacks callbacks{[this] { return stopRequested(); }, {},
                                      [&](std::int32_t handed) {
                                          QCoreApplication::processEvents();
                                          progress.show(handed);
                                      }};
        const BulkResult run = runBulkCapture(
            m_movie, plan, m_options.selection,
            {m_folder, m_options.format, m_options.quality, m_options.names, m_options.manifest,
             m_options.metadata, m_options.pngDepth},
            callbacks);
        const int handed = run.handed;
        progress.finish(handed);
        // A read that gave up on a stop fails in the video's name: that is the interruption.
        const bool videoStopped = run.end == BulkResult::End::Failed && stopRequested()
                                  && run.failure.path == m_video;
        if (run.end == BulkResult::End::Stopped || videoStopped)
            return interrupted(handed);
        if (run.end == BulkResult::End::Failed)
            return say(m_console, kExtractFailed, fileFailure(run.failure));
        if (!m_options.quiet)
            say(m_console, kExtractDone,
                QStringLiteral("%1 frames (%2 to %3) written to %4 in %5 s, %6 frames/s")
                    .arg(handed).arg(plan.firstFrame).arg(plan.lastFrame)
                    .arg(QDir::toNativeSeparators(m_folder))
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
        return say(m_console, kExtractFailed, fileFailure({m_video, status}));
    }

    const ExtractOptions& m_options;
    const ExtractConsole& m_console;
    const QString m_video;
    const QString m_folder;
    const QString m_prefix;
    ProgramState m_state;
    QtScreenMetrics m_screen;
    ActiveMovieControl m_movie;
};

}  // namespace

int runExtract(const ExtractOptions& options, const ExtractConsole& console)
{
    ExtractConsole shown = console;
    shown.terminal = console.terminal && !options.quiet;
    const qsizetype count = options.videos.size();
    if (count == 1)
        return Extraction(options, shown, options.videos.first(), {}).run();
    // Several videos: a failed one is reported and the next one runs; a stop ends them all.
    int failed = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const QString prefix = QStringLiteral("[%1/%2] ").arg(i + 1).arg(count);
        const int status = Extraction(options, shown, options.videos[i], prefix).run();
        if (status == kExtractInterrupted)
            return status;
        failed += status != kExtractDone;
    }
    if (failed > 0)
        return say(shown, kExtractFailed,
                   QStringLiteral("%1 of %2 videos failed").arg(failed).arg(count));
    return kExtractDone;
}

}  // namespace kadrel
