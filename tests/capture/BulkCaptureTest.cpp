// The one bulk loop of the window, kadrel-extract and the benchmark, on the recording graph.

#include "capture/BulkCapture.h"
#include "support/SessionFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace kadrel {
namespace {

using BulkCaptureTest = test::SessionFixture;
using End = BulkResult::End;

// Frames 100..103 in order, each at its own time; a stop asked before a frame or after the
// last; a failing move or snapshot names the video. A failing file names itself and ends the
// run with the whole files before it, and wins over a later failure of the video. Big frames
// keep the writer busy, so that the video fails before the writer has met the file.
TEST_F(BulkCaptureTest, HandsFramesInOrderAndEndsWithWholeFilesOnly)
{
    graphs.script->videoWidth = 640;
    graphs.script->videoHeight = 480;
    ASSERT_TRUE(movie.OpenMedia(QStringLiteral("/media/clip.avi")).ok());
    const struct {
        const char* name;
        int stopAt, failFrom;  // the stop request answered yes; the one from which failing fails
        const char* failing;
        const char* inTheWay;  // a folder in a file's place
        End end;
        const char* frames;    // the frames the media was moved to, when fixed
        const char* failure;   // the path (relative: in the folder) and number
        const char* files;
    } runs[] = {
        {"completed", 0, 0, "", "", End::Completed, "100 101 102 103", "", "100 101 102 103"},
        {"stopped before 102", 3, 0, "", "", End::Stopped, "100 101", "", "100 101"},
        {"stopped after the last", 5, 0, "", "", End::Stopped, "100 101 102 103", "",
         "100 101 102 103"},
        {"move fails", 0, 3, "put_CurrentPosition", "", End::Failed, "100 101",
         "/media/clip.avi 5", "100 101"},
        {"snapshot fails", 0, 3, "GetCurrentImage", "", End::Failed, "100 101 102",
         "/media/clip.avi 5", "100 101"},
        {"file fails", 0, 0, "", "frame101.bmp", End::Failed, nullptr, "frame101.bmp 21", "100"},
        {"the earlier file wins", 0, 3, "GetCurrentImage", "frame101.bmp", End::Failed, nullptr,
         "frame101.bmp 21", "100"},
    };
    const CapturePlan plan{0.04, 100, 103};
    for (const auto& r : runs) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        ASSERT_TRUE(QDir().mkpath(dir.filePath(QLatin1String(r.inTheWay))));
        graphs.script->failing.clear();
        int asks = 0, handed = 0;
        QStringList frames;
        const BulkCallbacks callbacks{
            [&] {
                if (++asks == r.failFrom)
                    graphs.script->failing = {QLatin1String(r.failing)};
                return asks == r.stopAt;
            },
            [&](std::int32_t frame) {
                const bool onTime = graph().position == plan.captureTime(frame);
                frames << QString::number(frame) + (onTime ? "" : "!");
            },
            [&](std::int32_t count) { EXPECT_EQ(count, ++handed); }};
        const BulkResult result = runBulkCapture(movie, plan, {dir.path()}, callbacks);
        EXPECT_EQ(result.end, r.end);
        EXPECT_EQ(result.handed, handed);
        const QString path = result.failure.path;
        const QString named = path.startsWith(dir.path()) ? QFileInfo(path).fileName() : path;
        const int number = result.failure.status.number();
        EXPECT_EQ(result.failure.ok() ? QString() : named + u' ' + QString::number(number),
                  QLatin1String(r.failure));
        QStringList files;
        for (const QFileInfo& file : QDir(dir.path()).entryInfoList(QDir::Files, QDir::Name))
            files << file.baseName().mid(5) + (file.size() == 54 + 4 * 640 * 480 ? "" : "?");
        EXPECT_EQ(files.join(u' '), QLatin1String(r.files));
        if (r.frames) {
            EXPECT_EQ(frames.join(u' '), QLatin1String(r.frames));
            EXPECT_EQ(handed, files.size());
        }
    }
}

}  // namespace
}  // namespace kadrel
