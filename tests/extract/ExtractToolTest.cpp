// kadrel-extract as a script runs it: its arguments to the frames written, exit statuses and
// messages, and signals that stop it with whole files only. The loop is BulkCaptureTest's.

#include "support/MediaGenerator.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace kadrel {
namespace {

struct ToolRun { int status = -1; QString out, err; };

class ExtractTool : public ::testing::Test {
protected:
    static QString clip()  // made once for every test
    {
        static const QTemporaryDir dir;
        static const QString path = dir.filePath(QStringLiteral("clip.mp4"));
        static const bool made =
            test::generateClip({.codec = test::ClipSpec::Codec::H264, .frames = 20}, path).ok();
        EXPECT_TRUE(made);
        return path;
    }

    ToolRun run(const QStringList& arguments, const QString& workingFolder = {})
    {
        QProcess tool;
        tool.setWorkingDirectory(workingFolder.isEmpty() ? work.path() : workingFolder);
        tool.start(QStringLiteral(KADREL_EXTRACT), arguments);
        EXPECT_TRUE(tool.waitForFinished(60000));
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
                QString::fromUtf8(tool.readAllStandardError())};
    }

    // The frame each file of the folder holds, by file name: "frame3.png=3 frame4.png=4".
    static QString framesIn(const QString& folder)
    {
        QMap<int, QString> seen;  // by the number in the name
        for (const QString& file : QDir(folder).entryList(QDir::Files)) {
            const int frame = test::frameIndexFromImageFile(QDir(folder).filePath(file));
            seen.insert(file.mid(5).section(u'.', 0, 0).toInt(),
                        file + u'=' + QString::number(frame));
        }
        return QStringList(seen.values()).join(u' ');
    }

    static QString expected(int first, int last, const char* extension)
    {
        QStringList files;
        for (int n = first; n <= last; ++n)
            files << QStringLiteral("frame%1.%2=%1").arg(n).arg(QLatin1String(extension));
        return files.join(u' ');
    }

    QTemporaryDir work;
};

// Exactly the frames asked for, each file holding its own; a summary unless -q. Help, version.
TEST_F(ExtractTool, WritesTheFramesAskedFor)
{
    const struct { QStringList arguments; QString files; const char* summary; } runs[] = {
        {{clip()}, expected(0, 19, "bmp"), "20 frames (0 to 19)"},
        {{"--from", "3", "--to", "7", "--format", "png", "-o", "png", clip()},
         expected(3, 7, "png"), "5 frames (3 to 7)"},
        {{"--format", "jpg", "--quality", "90", "--from", "18", "-q", "-o", "deep/jpg", clip()},
         expected(18, 19, "jpg"), nullptr},
        {{"--to", "0", "--format", "jpeg", "-o", "one", clip()}, expected(0, 0, "jpg"),
         "1 frames (0 to 0)"},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.arguments.join(u' ').toStdString());
        QTemporaryDir folder;
        const ToolRun done = run(r.arguments, folder.path());
        EXPECT_EQ(done.status, 0) << done.err.toStdString();
        const int o = r.arguments.indexOf(QStringLiteral("-o"));
        EXPECT_EQ(framesIn(o < 0 ? folder.path() : folder.filePath(r.arguments[o + 1])), r.files);
        const QString summary =
            r.summary ? QStringLiteral("kadrel-extract: ") + r.summary : QString();
        EXPECT_TRUE(done.err.startsWith(summary) && done.err.isEmpty() == summary.isEmpty()
                    && done.out.isEmpty()) << done.err.toStdString();
    }
    const ToolRun help = run({QStringLiteral("--help")});
    EXPECT_TRUE(help.status == 0 && help.out.contains(QStringLiteral("--quality <Q>")));
    const ToolRun version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QStringLiteral("kadrel-extract " KADREL_VERSION "\n"));
}

// Usage errors end with 2 and the usage text, failures with 1; neither writes anything.
TEST_F(ExtractTool, RefusesWithTheRightStatusAndWritesNothing)
{
    QFile blocker(work.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString missing = work.filePath(QStringLiteral("missing.mp4"));
    const struct { QStringList arguments; int status; QString says; } runs[] = {
        {{}, 2, "no video named"},
        {{"--bogus", clip()}, 2, "Unknown option 'bogus'"},
        {{"--from", "5", "--to", "2", clip()}, 2, "--to 2 comes before --from 5"},
        {{"--to", "20", clip()}, 2, clip() + ": frame 20 is past the end (the last frame is 19)"},
        {{"--from", "-1", clip()}, 2, "--from: not a frame number: -1"},
        {{"--to", "2147483648", clip()}, 2, "--to: 2147483648 is too large"},
        {{"-o", "", clip()}, 2, "-o: the folder name is empty"},
        {{"--format", "gif", clip()}, 2, "--format: bmp, png or jpg, not gif"},
        {{"--quality", "101", clip()}, 2, "--quality: 1 to 100, not 101"},
        {{clip(), clip()}, 2, "one video at a time"},
        {{"-o", "out", missing}, 1, "Cannot open " + missing + ": No such file"},
        {{"-o", "blocker/out", clip()}, 1, "blocker/out: the folder cannot be made"},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.arguments.join(u' ').toStdString());
        const ToolRun done = run(r.arguments);
        EXPECT_TRUE(done.status == r.status
                    && done.err.startsWith(QStringLiteral("kadrel-extract: ") + r.says))
            << done.status << done.err.toStdString();
        EXPECT_EQ(done.err.contains(QStringLiteral("\nUsage: kadrel-extract [-o DIR]")),
                  r.status == 2);
        EXPECT_EQ(QDir(work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  QStringList{"blocker"});
    }
}

// SIGTERM during a run from a file, SIGINT while a FIFO waits for a writer or for more data:
// status 130, and frame0 onwards without a gap, each whole, the run stopped before the end.
TEST_F(ExtractTool, InterruptedRunLeavesOnlyWholeFiles)
{
    const QString mkv = work.filePath(QStringLiteral("clip.mkv"));
    ASSERT_TRUE(test::generateClip({.width = 320, .height = 240, .frames = 400}, mkv).ok());
    const struct { int signal; qint64 sent; } runs[] = {
        {SIGTERM, -1}, {SIGINT, 0}, {SIGINT, QFileInfo(mkv).size() / 2}};
    for (const auto& [signal, sent] : runs) {
        SCOPED_TRACE(sent);
        QTemporaryDir folder;
        const QString fifo = folder.filePath(QStringLiteral("fifo.mkv"));
        ASSERT_TRUE(sent < 0 || ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QProcess tool;
        tool.start(QStringLiteral(KADREL_EXTRACT),
                   {QStringLiteral("-o"), folder.path(), sent < 0 ? mkv : fifo});
        ASSERT_TRUE(tool.waitForStarted());
        QProcess writer;  // sends the first half of the clip, then keeps the FIFO open
        if (sent > 0) {
            writer.setStandardOutputFile(fifo);
            writer.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                                QStringLiteral("head -c %1 '%2'; exec sleep 60")
                                                    .arg(sent).arg(mkv)});
        }
        // Once the tool waits for a writer or has written frames: its handler is in place.
        QFile wait(QStringLiteral("/proc/%1/wchan").arg(tool.processId()));
        for (int tries = 0; tries < 1000 && tool.state() == QProcess::Running; ++tries) {
            if (sent != 0 ? QFile::exists(folder.filePath(QStringLiteral("frame2.bmp")))
                          : wait.open(QIODevice::ReadOnly) && wait.readAll().contains("poll"))
                break;
            wait.close();
            QThread::msleep(10);
        }
        ::kill(static_cast<pid_t>(tool.processId()), signal);
        ASSERT_TRUE(tool.waitForFinished(5000));
        writer.kill();
        writer.waitForFinished();
        EXPECT_EQ(tool.exitCode(), 130);
        const QString said = QString::fromUtf8(tool.readAllStandardError());
        EXPECT_TRUE(said.startsWith(QStringLiteral("kadrel-extract: interrupted after ")))
            << said.toStdString();
        QDir(folder.path()).remove(QStringLiteral("fifo.mkv"));
        const int files = int(QDir(folder.path()).entryList(QDir::Files).size());
        EXPECT_TRUE(sent == 0 ? files == 0 : files >= 3) << files;
        EXPECT_LT(files, 400);
        EXPECT_EQ(framesIn(folder.path()), expected(0, files - 1, "bmp"));
    }
}

}  // namespace
}  // namespace kadrel
