#include "capture/BulkCapture.h"

#include "capture/FrameNumber.h"
#include "media/ActiveMovieControl.h"
#include "output/FrameEncoder.h"
#include "output/FrameFileWriter.h"
#include "output/SaveFrame.h"

#include <QFileInfo>

#include <deque>
#include <utility>

namespace kadrel {

namespace {

// One run: the loop and what it keeps between frames.
class BulkRun {
public:
    BulkRun(ActiveMovieControl& movie, const CapturePlan& plan, const FrameSelection& selection,
            const BulkOutput& output, const BulkCallbacks& callbacks)
        : m_movie(movie), m_plan(plan), m_output(output), m_callbacks(callbacks),
          m_writer([&output] { return makeFrameEncoder(output.format, output.quality); }),
          m_extension(imageFormatInfo(output.format).extension),
          m_depth(snapshotDepth(output.format, output.pngDepth)),
          m_source(QFileInfo(movie.session().mediaFile).completeBaseName()),
          m_picker(FramePicker::make(selection, plan))
    {
    }

    BulkResult run(const FrameSelection& selection)
    {
        if (Status s = checkSelection(selection); !s)
            return refused(std::move(s));
        if (Status s = m_output.names.checkDistinct(m_plan.timePerFrame); !s)
            return refused(std::move(s));
        if (Status s = m_manifest.open(m_output.folder, m_output.manifest,
                                       selection.kind == FrameSelection::Kind::Scenes);
            !s)
            return refused(std::move(s), manifestPath());
        loop();
        if (Status ended = m_picker->end(m_movie); !ended && m_result.failure.ok())
            m_result.failure = videoFailure(std::move(ended));
        if (m_result.end == BulkResult::End::Completed && m_result.failure.ok() && stopped())
            m_result.end = BulkResult::End::Stopped;
        if (FileStatus written = m_writer.finish(); !written.ok())
            m_result.failure = std::move(written);
        listKeptFiles();
        if (!m_result.failure.ok())
            m_result.end = BulkResult::End::Failed;
        return m_result;
    }

private:
    void loop()
    {
        for (;;) {
            if (stopped()) {
                m_result.end = BulkResult::End::Stopped;
                return;
            }
            const Result<std::optional<std::int32_t>> next = m_picker->next(m_movie);
            if (!next) {
                m_result.failure = videoFailure(next.status());
                return;
            }
            if (!next.value())
                return;
            m_result.failure = visit(*next.value());
            if (!m_result.failure.ok())
                return;
        }
    }

    // Moves to frame and, when the selection takes it, hands its file over.
    FileStatus visit(std::int32_t frame)
    {
        const double time = m_plan.captureTime(frame);
        if (Status moved = moveToCaptureTime(m_movie, time); !moved)
            return videoFailure(std::move(moved));
        if (m_callbacks.atFrame)
            m_callbacks.atFrame(frame);
        PictureFacts picture;
        if (m_picker->needsFacts() || m_output.manifest != ManifestKind::None) {
            const Result<PictureFacts> facts = m_movie.GetCurrentPicture();
            if (!facts)
                return videoFailure(facts.status());
            picture = facts.value();
        }
        const Result<bool> taken = m_picker->take(m_movie, frame, picture);
        if (!taken)
            return videoFailure(taken.status());
        if (!taken.value())
            return {};
        const QString name = m_output.names.fileName(frame, time, m_source, m_extension);
        const QString path = m_output.folder + QLatin1Char('/') + name;
        if (FileStatus handed = handOver(path, facts(frame)); !handed.ok())
            return handed;
        if (m_output.manifest != ManifestKind::None)
            m_rows.push_back({name, frame, time, picture.timestamp, picture.keyframe,
                              m_picker->score()});
        ++m_result.handed;
        if (m_callbacks.handed)
            m_callbacks.handed(m_result.handed);
        return listWritten(m_writer.written());
    }

    // What the file of frame says of it, when the run writes facts.
    FrameFacts facts(std::int32_t frame) const
    {
        return m_output.metadata ? frameFacts(m_movie.session(), m_plan, frame) : FrameFacts{};
    }

    // Takes the frame on show into a buffer of the writer and hands it over to be written at
    // path with its facts: the failure of this frame's snapshot, or of an earlier file.
    FileStatus handOver(const QString& path, const FrameFacts& facts)
    {
        FrameBuffer* buffer = m_writer.nextBuffer();
        if (!buffer)
            return m_writer.finish();
        if (Status s = takeSnapshot(m_movie, *buffer, m_output.format, m_depth); !s) {
            m_writer.release(buffer);
            return videoFailure(std::move(s));
        }
        m_writer.write(buffer, path, facts);
        return {};
    }

    // Lists the files from the last listed up to count, the count of files handed over so far.
    FileStatus listWritten(std::size_t count)
    {
        if (m_output.manifest == ManifestKind::None)
            return {};
        for (std::size_t i = m_manifest.rows(); i < count; ++i)
            if (Status s = m_manifest.add(m_rows[i - m_rowsDropped]); !s)
                return {manifestPath(), std::move(s)};
        // Rows listed long ago can no longer be taken back by a failure of their file.
        for (; m_rows.size() > kRowsKept && m_rowsDropped < m_manifest.rows(); ++m_rowsDropped)
            m_rows.pop_front();
        return {};
    }

    // After the writer has finished: the files it kept are those before the one that failed.
    void listKeptFiles()
    {
        std::size_t kept = m_rowsDropped + m_rows.size();
        const QString& failed = m_result.failure.path;
        for (std::size_t i = 0; i < m_rows.size() && !failed.isEmpty(); ++i)
            if (m_output.folder + QLatin1Char('/') + m_rows[i].file == failed)
                kept = m_rowsDropped + i;
        Status listed = m_manifest.keepFirst(kept);
        if (listed)
            listed = listWritten(kept).status;
        if (!listed && m_result.failure.ok())
            m_result.failure = {manifestPath(), std::move(listed)};
    }

    BulkResult refused(Status why, const QString& path = {})
    {
        m_result.end = BulkResult::End::Failed;
        m_result.failure = {path, std::move(why)};
        return m_result;
    }

    FileStatus videoFailure(Status why) const
    {
        return {m_movie.session().mediaFile, std::move(why)};  // the video failed, not a file
    }

    QString manifestPath() const
    {
        return m_output.folder + QLatin1Char('/') + Manifest::fileName(m_output.manifest);
    }

    bool stopped() const { return m_callbacks.stopRequested && m_callbacks.stopRequested(); }

    ActiveMovieControl& m_movie;
    const CapturePlan& m_plan;
    const BulkOutput& m_output;
    const BulkCallbacks& m_callbacks;
    FrameFileWriter m_writer;
    const QString m_extension;
    const int m_depth;  // of the snapshots
    const QString m_source;
    const std::unique_ptr<FramePicker> m_picker;
    Manifest m_manifest;
    // The files handed over lately, for the manifest; a failure removes no more files than
    // the writer has in flight.
    static constexpr std::size_t kRowsKept = 64;
    std::deque<ManifestRow> m_rows;
    std::size_t m_rowsDropped = 0;
    BulkResult m_result;
};

}  // namespace

BulkResult runBulkCapture(ActiveMovieControl& movie, const CapturePlan& plan,
                          const FrameSelection& selection, const BulkOutput& output,
                          const BulkCallbacks& callbacks)
{
    return BulkRun(movie, plan, selection, output, callbacks).run(selection);
}

}  // namespace kadrel
