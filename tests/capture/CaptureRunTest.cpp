// The window's wiring of the bulk loop (BulkCaptureTest's): what it locks and gives back, its
// counter and messages, Cancel and close; and whole videos on the FFmpeg engine, frame-exact.

#include "CaptureFixture.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"
#include "support/Messages.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace kadrel {
namespace {

using CaptureRunTest = test::CaptureFixture;

// Each end of a run, from a yield between moving to frame 5 and saving it: its files, the
// counter, the message; the window locked throughout, a second start refused, all given back.
TEST_F(CaptureRunTest, EachEndOfARunIsShownAndGivesTheWindowBack)
{
    ASSERT_TRUE(QDir().mkpath(outDir.filePath(QStringLiteral("dir/frame3.bmp"))));
    ASSERT_TRUE(QFile(outDir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly));
    enum Request { None, Cancel, Close, MoveAway };
    const QString stopped = QStringLiteral("Cinevra\\|Critical\\|The capture stopped: \"@/");
    const struct {
        const char* folder;
        int from, to;  // From -1: the whole video
        bool muted;
        Request request;
        const char* failing;
        int first, last;  // the files left
        const char* counter;
        QString message;  // a pattern; @ is the output folder
    } runs[] = {
        {"range", 100, 200, false, None, "", 100, 200, "200/200 200 [100..200]",
         "Cinevra\\|Information\\|The frames have been captured and saved in the desired "
         "location"},
        {"cancelled", -1, 0, true, Cancel, "", 0, 5, "5/249 5 [0..249]", ""},
        {"closed", -1, 0, false, Close, "", 0, 5, nullptr, ""},
        {"gone", -1, 0, false, MoveAway, "", 0, -1, nullptr,
         stopped + "gone/frame[0-5]\\.bmp\" could not be saved\\.\n\n"
                   "Error 2: .*No such file or directory"},
        {"dir", -1, 0, false, None, "", 0, 2, nullptr,
         stopped + "dir/frame3\\.bmp\" could not be saved\\.\n\nError 21: .*Is a directory"},
        {"engine", -1, 0, false, None, "GetCurrentImage", 0, -1, nullptr,
         "Cinevra\\|Critical\\|The capture stopped: \"/media/clip\\.avi\" could not be read\\."
         "\n\nError 5: GetCurrentImage failed"},
        {"file/sub", -1, 0, false, None, "", 0, -1, nullptr,
         "Kadrel - CreatePath Function\\|Exclamation\\|Error 17: File exists\r\n"
         "Could Not Create/Access Directory:\r\n\r\n\"@/file/sub/\""},
    };
    state.volumeLevel = 30;
    open();
    for (const auto& run : runs) {
        SCOPED_TRACE(run.folder);
        graphs.script->failing = {QLatin1String(run.failing)};
        if (run.from < 0)
            settings.Option1->setChecked(true);
        else
            useRange(run.from, run.to);
        state.muted = run.muted;
        const QString folder = outDir.filePath(QLatin1String(run.folder));
        const QString before = controls();
        QString during, counter;
        bool closedAfterRun = false;
        yields = 0;  // yield 1 prepares the media; frame k's move is yield 2 + 2k
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
            if (yields != 12)
                return;
            if (run.request == Close)
                settings.cancelRunThen([&] { closedAfterRun = !settings.running(); });
            else if (run.request == Cancel)
                settings.cmdcancel->click();
            else if (run.request == MoveAway)
                QDir().rename(folder, folder + QStringLiteral(".away"));
        };
        EXPECT_EQ(runInto(folder), frameNames(run.first, run.last));
        if (run.counter)
            EXPECT_EQ(counter, QStringLiteral("Capturing Frame:") + QLatin1String(run.counter));
        const QString shown = test::takeMessages(fake.messageBox).join(u'\n');
        const QString pattern = QString(run.message).replace(u'@', outDir.path());
        EXPECT_TRUE(QRegularExpression(u'^' + pattern + u'$').match(shown).hasMatch())
            << shown.toStdString();
        EXPECT_EQ(during, QStringLiteral("000000011 000"));
        EXPECT_EQ(closedAfterRun, run.request == Close);
        EXPECT_EQ(settings.Label2->text(), QStringLiteral("Capturing Frame:"));
        EXPECT_EQ(settings.ProgressBar1->value(), 0);
        EXPECT_EQ(graphs.last->volume, run.muted ? -10000 : -7000);
        EXPECT_EQ(controls(), before);
    }
}

class CaptureMediaTest : public test::CaptureFixture {
protected:
    CaptureMediaTest() : CaptureFixture(makeFfmpegGraph)
    {
        onYield = [] { QCoreApplication::processEvents(); };
    }
};

// Every frame of the picture once, however long the sound runs on: Matroska states no stream
// lengths, so the picture's end comes from its last packets; AVI's length is the picture's.
TEST_F(CaptureMediaTest, TheWholeVideoIsEveryFrameOfThePictureOnce)
{
    using test::ClipSpec;
    const struct { const char* name; ClipSpec recipe; double duration; } clips[] = {
        {"sound-runs-on.avi", {.frames = 100, .withAudio = true, .soundSeconds = 7.0}, 4.0},
        {"sound-runs-on.mkv", {.codec = ClipSpec::Codec::H264, .frames = 100, .withAudio = true,
                               .soundSeconds = 7.0}, 7.0},
        {"sound-stops.mkv", {.frames = 30, .withAudio = true, .soundSeconds = 0.5}, 1.2},
    };
    for (const auto& [name, recipe, duration] : clips) {
        SCOPED_TRACE(name);
        const QString clip = programDir.filePath(QLatin1String(name));
        ASSERT_TRUE(test::generateClip(recipe, clip).ok());
        open(clip);
        EXPECT_NEAR(movie.GetDuration(), duration, 0.03);  // the position slider's range
        const QDir folder(outDir.filePath(QLatin1String(name)));
        EXPECT_EQ(runInto(folder.path()), frameNames(0, recipe.frames - 1));
        for (int n = 0; n < recipe.frames; ++n)
            EXPECT_EQ(test::frameIndexFromBitmap(folder.filePath(frameNames(n, n)[0])), n);
    }
    EXPECT_EQ(fake.messageBox.messages.size(), std::size(clips));  // completions, no failure
}

}  // namespace
}  // namespace kadrel
