// The one bulk loop of the window, kadrel-extract and the benchmark, on the recording graph.

#include "capture/BulkCapture.h"
#include "support/SessionFixture.h"

#include <QDir>
#include <QTemporaryDir>

namespace kadrel {
namespace {

using BulkCaptureTest = test::SessionFixture;
using End = BulkResult::End;

// Frames 100..103 in order at their times, whole files only, stops before a frame and after
// the last; the first failing file wins over the video's later failure, which big frames
// (a busy writer) let happen before the writer meets the file.
TEST_F(BulkCaptureTest, HandsFramesInOrderAndEndsWithWholeFilesOnly)
{
    graphs.script->videoWidth = 640;
    graphs.script->videoHeight = 480;
    ASSERT_TRUE(movie.OpenMedia(QStringLiteral("/media/clip.avi")).ok());
    // The stop request answered yes, the one from which failing fails, a folder in a file's
    // place; the failure's path (in the folder unless absolute) and number.
    const struct { const char *name; int stopAt, failFrom; const char *failing, *inTheWay;
                   End end; const char *failure, *files; } runs[] = {
        {"completed", 0, 0, "", "", End::Completed, "", "100 101 102 103"},
        {"stopped before 102", 3, 0, "", "", End::Stopped, "", "100 101"},
        {"stopped after the last", 5, 0, "", "", End::Stopped, "", "100 101 102 103"},
        {"move", 0, 3, "put_CurrentPosition", "", End::Failed, "/media/clip.avi 5", "100 101"},
        {"snapshot", 0, 3, "GetCurrentImage", "", End::Failed, "/media/clip.avi 5", "100 101"},
        {"file", 0, 0, "", "frame101.bmp", End::Failed, "frame101.bmp 21", "100"},
        {"earlier file", 0, 3, "GetCurrentImage", "frame101.bmp", End::Failed, "frame101.bmp 21",
         "100"},
    };
    const CapturePlan plan{0.04, 100, 103};
    for (const auto& r : runs) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        ASSERT_TRUE(QDir().mkpath(dir.filePath(QLatin1String(r.inTheWay))));
        graphs.script->failing.clear();
        int asks = 0, moves = 0, handed = 0;
        const BulkCallbacks callbacks{
            [&] {
                if (++asks == r.failFrom)
                    graphs.script->failing = {QLatin1String(r.failing)};
                return asks == r.stopAt;
            },
            [&](std::int32_t frame) {
                EXPECT_EQ(frame, plan.firstFrame + moves++);
                EXPECT_EQ(graph().position, plan.captureTime(frame));
            },
            [&](std::int32_t count) { EXPECT_EQ(count, ++handed); }};
        const BulkResult result = runBulkCapture(movie, plan, {dir.path()}, callbacks);
        EXPECT_EQ(result.end, r.end);
        EXPECT_EQ(result.handed, handed);
        QString failure = QStringLiteral("%1 %2").arg(result.failure.path)
                              .arg(result.failure.status.number());
        EXPECT_EQ(result.failure.ok() ? QString() : failure.remove(dir.path() + u'/'),
                  QLatin1String(r.failure));
        QStringList files;
        for (const QFileInfo& file : QDir(dir.path()).entryInfoList(QDir::Files, QDir::Name))
            files << file.baseName().mid(5) + (file.size() == 54 + 4 * 640 * 480 ? "" : "?");
        EXPECT_EQ(files.join(u' '), QLatin1String(r.files));
        EXPECT_TRUE(*r.inTheWay || handed == files.size());
    }
}

}  // namespace
}  // namespace kadrel
