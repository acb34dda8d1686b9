// The bulk run on the recording graph: the files it writes, the counter, cancel and close,
// failures, and what nothing may disturb meanwhile.

#include "CaptureFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace kadrel {
namespace {

using CaptureRunTest = test::CaptureFixture;

TEST_F(CaptureRunTest, WritesExactlyTheFramesOfTheRangeAndNothingDisturbsIt)
{
    // From -1: the whole video. The counter after the last frame, the progress bar's value and
    // range. Whether the sound was muted. Where the picture ends before the sound, the frame
    // count is CaptureSettingsTest's and the run's files CaptureMediaTest's.
    const struct { const char* name; double duration, videoEnd, timePerFrame;
                   int from, to, first, last; const char* counter; bool muted; } runs[] = {
        {"whole-10s", 10.0, 10.0, 0.04, -1, 0, 0, 249, "249/249 249 [0..249]", false},
        {"whole-29.97fps", 10.01, 10.01, 1001.0 / 30000, -1, 0, 0, 299, "299/299 299 [0..299]",
         false},
        {"10-20-at-30fps", 10.0, 10.0, 1.0 / 30, 10, 20, 10, 20, "20/20 20 [10..20]", false},
        // Repeated additions of 0.04 would pass 8 s just before frame 200.
        {"100-200", 10.0, 10.0, 0.04, 100, 200, 100, 200, "200/200 200 [100..200]", true},
        {"0-1", 10.0, 10.0, 0.04, 0, 1, 0, 1, "1/1 1 [0..1]", false},
        // To fixed at the last frame, and off.
        {"248-249", 10.0, 10.0, 0.04, 248, 249, 248, 249, "249/249 249 [248..249]", false},
    };
    // Begin, options, From, To, folder, Cancel, counter | Frame1, Capture, the locked commands.
    const auto controls = [this] {
        QString flags;
        for (const QWidget* w : std::initializer_list<const QWidget*>{
                 settings.cmdbulkcapture, settings.Option1, settings.Option2, settings.sldfrom,
                 settings.sldto, settings.cmddir, settings.txtout, settings.cmdcancel,
                 settings.Label2})
            flags += w->isEnabled() ? u'1' : u'0';
        return flags + QStringLiteral(" %1%2%3").arg(frame1Enabled).arg(cmdcaptureEnabled)
                           .arg(!locked);
    };
    state.volumeLevel = 30;
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        graphs.script->duration = run.duration;
        graphs.script->videoEnd = run.videoEnd;
        graphs.script->timePerFrame = run.timePerFrame;
        open();
        if (run.from >= 0)
            useRange(run.from, run.to);
        state.muted = run.muted;
        const QString before = controls();
        QString during, counter;
        onYield = [&] {
            if (during.isEmpty()) {
                during = controls();
                const int y = yields;
                settings.cmdbulkcapture_Click();  // a second start is refused
                EXPECT_EQ(yields, y);
            }
            const QProgressBar* bar = settings.ProgressBar1;
            counter = QStringLiteral("%1 %2 [%3..%4]").arg(settings.Label2->text())
                          .arg(bar->value()).arg(bar->minimum()).arg(bar->maximum());
        };
        fake.messageBox.messages.clear();
        const QString folder = outFolder(QLatin1String(run.name) + QStringLiteral("/sub"));
        EXPECT_EQ(runInto(folder), frameNames(run.first, run.last));  // a new nested folder
        EXPECT_EQ(counter, QStringLiteral("Capturing Frame:") + QLatin1String(run.counter));
        EXPECT_EQ(during, QStringLiteral("000000011 000"));

        // Completed: the message, then the frame, the sound and the window as before the run.
        ASSERT_EQ(fake.messageBox.messages.size(), 1u);
        EXPECT_EQ(fake.messageBox.messages[0].title, QStringLiteral("Cinevra"));
        EXPECT_EQ(fake.messageBox.messages[0].text,
                  QStringLiteral("The frames have been captured and saved in the desired "
                                 "location"));
        EXPECT_EQ(settings.Label2->text(), QStringLiteral("Capturing Frame:"));
        EXPECT_EQ(settings.ProgressBar1->value(), 0);
        EXPECT_EQ(graphs.last->volume, run.muted ? -10000 : -7000);
        EXPECT_EQ(controls(), before);
    }
}

// Cancel, close, or the output folder moved away, between moving to frame 5 and saving it.
// Cancel and close end the run once the files in hand are written, complete; a folder gone
// stops it at the first file that cannot be made, with nothing left behind.
TEST_F(CaptureRunTest, CancelCloseOrAFolderGoneEndTheRunAfterTheFrameInHand)
{
    open();
    enum class Request { Cancel, Close, MoveFolderAway };
    for (const Request request : {Request::Cancel, Request::Close, Request::MoveFolderAway}) {
        const QString folder = outFolder(QString::number(int(request)));
        bool closedAfterRun = false;
        // Yield 1 prepares the media; frame k yields after its move (2 + 2k) and after its file.
        yields = 0;
        onYield = [&] {
            if (yields != 12)
                return;
            if (request == Request::Close) {
                settings.cancelRunThen([&] { closedAfterRun = !settings.running(); });
            } else if (request == Request::Cancel) {
                settings.cmdcancel->click();
            } else {
                // At once, though the writer may be making a file in it.
                QDir().rename(folder, folder + QStringLiteral(".gone"));
            }
        };
        fake.messageBox.messages.clear();
        const QStringList written = runInto(folder);
        EXPECT_EQ(closedAfterRun, request == Request::Close);
        EXPECT_TRUE(settings.cmdbulkcapture->isEnabled() && !settings.cmdcancel->isEnabled());
        if (request == Request::MoveFolderAway) {
            EXPECT_FALSE(QFileInfo::exists(folder));
            ASSERT_EQ(fake.messageBox.messages.size(), 1u);
            // The first file not yet written when the folder went: frame 5 at the latest.
            const QString text = fake.messageBox.messages[0].text;
            EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(folder + "/frame")
                                           + "[0-5]\\.bmp").match(text).hasMatch()
                        && text.contains(QStringLiteral("No such file or directory")))
                << text.toStdString();
            continue;
        }
        EXPECT_TRUE(fake.messageBox.messages.empty());
        EXPECT_EQ(written, frameNames(0, 5));
        for (const QString& name : written)
            EXPECT_EQ(QFileInfo(QDir(folder).filePath(name)).size(), 54 + 4 * 32 * 24)
                << name.toStdString();
    }
}

TEST_F(CaptureRunTest, AFailureStopsTheRunAtOnceAndSaysWhereAndWhy)
{
    open();
    ASSERT_TRUE(QDir().mkpath(outFolder(QStringLiteral("dir/frame3.bmp"))));
    ASSERT_TRUE(QFile(outFolder(QStringLiteral("file"))).open(QIODevice::WriteOnly));
    const struct { const char *folder, *named, *title, *reason, *failing; int written; }
        failures[] = {
        {"dir", "dir/frame3.bmp", "Cinevra", "Is a directory", "", 3},
        // The video gives no picture: the message names it, not the file.
        {"engine", "/media/clip.avi", "Cinevra",
         "could not be read.\n\nError 5: GetCurrentImage failed", "GetCurrentImage", 0},
        // CreatePath cannot make the folder: its own message, and nothing written.
        {"file/sub", "file/sub", "Kadrel - CreatePath Function", "File exists", "", 0},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.folder);
        graphs.script->failing = {QLatin1String(f.failing)};  // "" is no operation
        fake.messageBox.messages.clear();
        // The files before the failure stay; which faults of the disk stop the writer, and
        // that nothing after the failing file is written, FrameFileWriterTest shows.
        EXPECT_EQ(runInto(outFolder(QLatin1String(f.folder))), frameNames(0, f.written - 1));
        ASSERT_EQ(fake.messageBox.messages.size(), 1u);
        const test::RecordedMessage& message = fake.messageBox.messages[0];
        EXPECT_EQ(message.title, QLatin1String(f.title));
        const QString named = QLatin1String(f.named);
        EXPECT_TRUE(message.text.contains(QDir::isAbsolutePath(named) ? named : outFolder(named))
                    && message.text.contains(f.reason))
            << message.text.toStdString();
        EXPECT_FALSE(locked || settings.cmdcancel->isEnabled() || !frame1Enabled);
    }
}

}  // namespace
}  // namespace kadrel
