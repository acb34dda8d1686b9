// The one bulk loop of the window, kadrel-extract and the benchmark; the capture settings frame
// with the test as its main window: before a run, its wiring of the loop, and whole videos on
// the FFmpeg engine, frame-exact.

#include "capture/BulkCapture.h"
#include "capture/CaptureSettings.h"
#include "capture/FrameNumber.h"
#include "media/Volume.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"
#include "support/Messages.h"
#include "support/SessionFixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>

#include <functional>

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
        const BulkOutput output{dir.path(), ImageFormat::Bmp, kDefaultJpegQuality, {},
                                ManifestKind::Csv};
        const BulkResult result = runBulkCapture(movie, plan, {}, output, callbacks);
        EXPECT_EQ(result.end, r.end);
        EXPECT_EQ(result.handed, handed);
        QString failure = QStringLiteral("%1 %2").arg(result.failure.path)
                              .arg(result.failure.status.number());
        EXPECT_EQ(result.failure.ok() ? QString() : failure.remove(dir.path() + u'/'),
                  QLatin1String(r.failure));
        QStringList files;
        for (const QFileInfo& file :
             QDir(dir.path()).entryInfoList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name))
            files << file.baseName().mid(5) + (file.size() == 54 + 4 * 640 * 480 ? "" : "?");
        EXPECT_EQ(files.join(u' '), QLatin1String(r.files));
        EXPECT_TRUE(*r.inTheWay || handed == files.size());
        QFile manifest(dir.filePath(QStringLiteral("manifest.csv")));  // lists the files kept
        QStringList listed;
        for (const QByteArray& row : manifest.open(QIODevice::ReadOnly)
                                         ? manifest.readAll().split('\n').mid(1) : QByteArrayList{})
            listed << QString::fromLatin1(row).section(u'.', 0, 0).mid(5);
        EXPECT_EQ(listed.join(u' ').trimmed(), QLatin1String(r.files));
    }
}

// Scene changes: a cut scores high, a steady picture or a second cut right after one low or
// held off by the minimum gap; the manifest lists each file with its score.
TEST_F(BulkCaptureTest, ScenesWriteTheFirstFrameOfEachCut)
{
    graphs.script->luma = [](double position) {
        const int n = int(std::lround(position / 0.04));
        return std::uint8_t(n < 5 ? 10 : n < 6 ? 200 : n < 12 ? 60 : 250);
    };
    ASSERT_TRUE(movie.OpenMedia(QStringLiteral("/media/film.avi")).ok());
    const struct { double minGap; const char* files; } runs[] = {
        {0.0, "0000 0005 0006 0012"}, {0.1, "0000 0005 0012"}};
    for (const auto& r : runs) {
        QTemporaryDir dir;
        const FrameSelection scenes{FrameSelection::Kind::Scenes, 1, 1.0, 0.3, r.minGap};
        const BulkOutput output{dir.path(), ImageFormat::Bmp, kDefaultJpegQuality,
                                NameTemplate::parse(QStringLiteral("{n:04}")).value(),
                                ManifestKind::Csv};
        const BulkResult run = runBulkCapture(movie, {0.04, 0, 15}, scenes, output);
        EXPECT_EQ(run.end, End::Completed);
        const QStringList files = QDir(dir.path()).entryList({QStringLiteral("*.bmp")});
        EXPECT_EQ(files.join(u' ').remove(QStringLiteral(".bmp")), QLatin1String(r.files));
        QFile manifest(dir.filePath(QStringLiteral("manifest.csv")));
        ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
        EXPECT_EQ(manifest.readAll().split('\n').mid(0, 3).join('|'),
                  "file,frame,time,timestamp,keyframe,scene_score|0000.bmp,0,0.000000,0,1,|"
                  "0005.bmp,5,0.200000,5,1,1.000000");
    }
}

// The whole video: the frames that start half a frame before the picture's end, however
// n x T rounds; frame 0 in any video.
TEST(CapturePlanTest, TheWholeVideoEndsWithTheLastFrameStartingHalfAFrameBeforeItsEnd)
{
    const struct { double videoEnd, timePerFrame; int frames; } videos[] = {
        {10.0, 0.04, 250}, {10.01, 1001.0 / 30000, 300}, {1.25, 0.5, 2}, {1.26, 0.5, 3},
        {0.04, 0.04, 1}, {0.01, 0.04, 1}};
    for (const auto& v : videos) {
        const Result<CapturePlan> plan = CapturePlan::wholeVideo(v.videoEnd, v.timePerFrame);
        EXPECT_EQ(plan.value().frameCount(), v.frames) << v.videoEnd;
    }
}

// Go To's entries: a frame number or a time, meaning the picture on show then; what is said
// of any other (frames 0 to 249 of 0.04 s).
TEST(FrameNumberTest, EntriesNameAFrameOrSayWhyNot)
{
    const struct { const char *entry; int frame; const char* told; } rows[] = {
        {"125", 125, nullptr}, {" 7 ", 7, nullptr}, {"5.5", 137, nullptr},
        {"0:09.96", 249, nullptr}, {"00:00:02.500", 62, nullptr},
        {"250", -1, "There is no frame 250.\nThis video has frames 0 to 249 "
                    "(00:00:00.000 to 00:00:09.960)."},
        {"1:02.5", -1, "00:01:02.500 is past the last frame.\nThis video has frames 0 to 249"},
        {"1:75", -1, "\"1:75\" is neither a frame number nor a time."},
        {"12 frames", -1, "\"12 frames\" is neither"}, {"", -1, "\"\" is neither"},
    };
    for (const auto& row : rows) {
        const QString entry = QString::fromUtf8(row.entry);
        const Result<std::int32_t> frame = frameOfEntry({0.04, 0, 249}, entry);
        EXPECT_EQ(frame.valueOr(-1), row.frame) << row.entry;
        EXPECT_TRUE(!row.told || frame.status().description().startsWith(row.told))
            << qPrintable(frame.status().description());
    }
}

// Names from templates, padded, timed and sourced; the templates a run must refuse.
TEST(NameTemplateTest, NamesFramesAndRefusesAmbiguousOrEscapingTemplates)
{
    const struct { const char *text; double time; const char* name; } names[] = {
        {"frame{n}", 0.48, "frame12.bmp"}, {"{src}_{n:06}", 0.48, "film_000012.bmp"},
        {"{n:03}-{n}", 0.48, "012-12.bmp"}, {"{src} {time}", 3723.4567, "film 01-02-03.457.bmp"}};
    for (const auto& n : names) {
        const Result<NameTemplate> parsed = NameTemplate::parse(QLatin1String(n.text));
        ASSERT_TRUE(parsed.ok()) << n.text;
        const QString name = parsed.value().fileName(12, n.time, QStringLiteral("film"),
                                                     QStringLiteral(".bmp"));
        EXPECT_EQ(name, QLatin1String(n.name));
    }
    EXPECT_EQ(NameTemplate().text(), QStringLiteral("frame{n}"));
    for (const char* refused : {"still", "{src}", "sub/{n}", "{n", "{n}}", "{N}", "{n:6}",
                                "{n:011}", "{ext}{n}"}) {
        const Result<NameTemplate> parsed = NameTemplate::parse(QLatin1String(refused));
        EXPECT_EQ(parsed.status().number(), kBadNameTemplate) << refused;
    }
    const NameTemplate timed = NameTemplate::parse(QStringLiteral("{time}")).value();
    EXPECT_TRUE(timed.checkDistinct(0.001).ok());
    EXPECT_EQ(timed.checkDistinct(0.0005).number(), kBadNameTemplate);
}

// Pause and volume act on the session as the main window's do; the rest is recorded.
class CaptureWindowTest : public test::SessionFixture, public CaptureHost {
protected:
    explicit CaptureWindowTest(GraphFactory factory = {})
        : SessionFixture(std::move(factory), [] {}),
          settings(state, movie, fake.platform(), *this, nullptr, [this] {
              ++yields;
              if (onYield)
                  onYield();
          })
    {
    }

    void cmdplay1_Click() override
    {
        movie.PauseMedia();
        state.paused = true;
    }
    int slider1Minimum() const override { return 0; }
    void setSlider1Value(int seconds) override { slider1 = seconds; }
    void Slider1_Click() override {}
    void Slider2_Change() override { movie.SetVolume(volumeOfLevel(state.volumeLevel)); }
    void setFrame1Enabled(bool enabled) override { frame1Enabled = enabled; }
    void setCmdcaptureEnabled(bool enabled) override { cmdcaptureEnabled = enabled; }
    void lockForRun() override { locked = true; }
    void unlockAfterRun() override { locked = false; }
    QString defaultOutputFolder() const override { return programDir.path(); }
    QWidget* mainWindow() override { return nullptr; }
    Status openVideo(const QString& path) override
    {
        state.loadedFile = path;
        return movie.OpenMedia(path);
    }
    void showMediaState() override {}
    void showFrameReadout() override {}

    // As the main window opens media: by default a 10 s video at 25 frames per second.
    void open(const QString& path = QStringLiteral("/media/clip.avi"))
    {
        ASSERT_TRUE(movie.OpenMedia(path).ok());
        state.loadedFile = path;
        ASSERT_TRUE(settings.activatebulk().ok());
        settings.cmdbulkcapture->setEnabled(true);
    }

    void useRange(int from, int to)
    {
        settings.Option2->setChecked(true);
        settings.sldfrom->setValue(from);
        settings.sldto->setValue(to);
    }

    // The names of the files the run leaves in folder, and those of frames first..last: sorted.
    QStringList runInto(const QString& folder)
    {
        settings.txtout->setText(folder);
        settings.cmdbulkcapture_Click();
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }
    static QStringList frameNames(int first, int last)
    {
        QStringList names;
        for (int n = first; n <= last; ++n)
            names << QStringLiteral("frame%1.bmp").arg(n);
        names.sort();
        return names;
    }

    // Begin, options, From, To, folder, Cancel, counter | Frame1, Capture, the locked commands.
    QString controls() const
    {
        QString flags;
        for (const QWidget* w : std::initializer_list<const QWidget*>{
                 settings.cmdbulkcapture, settings.Option1, settings.Option2, settings.sldfrom,
                 settings.sldto, settings.cmddir, settings.txtout, settings.cmdcancel,
                 settings.Label2})
            flags += w->isEnabled() ? u'1' : u'0';
        return flags + QStringLiteral(" %1%2%3").arg(frame1Enabled).arg(cmdcaptureEnabled)
                           .arg(!locked);
    }

    CaptureSettings settings;
    QTemporaryDir programDir, outDir;
    int yields = 0, slider1 = 0;
    bool frame1Enabled = true, cmdcaptureEnabled = true, locked = false;
    std::function<void()> onYield;
};

TEST_F(CaptureWindowTest, FromAndToKeepTheirOrderAndShowTheirFrame)
{
    // The captions, To's range, whether From and To respond, the main window's position.
    const auto ranges = [this] {
        return QStringLiteral("%1 | %2 [%3..%4] | %5%6 | %7")
            .arg(settings.lblfrom->text(), settings.lblto->text())
            .arg(settings.sldto->minimum()).arg(settings.sldto->maximum())
            .arg(settings.sldfrom->isEnabled()).arg(settings.sldto->isEnabled()).arg(slider1);
    };
    open();  // 250 frames, the picture's end in From's and To's ranges
    EXPECT_EQ(settings.sldfrom->maximum(), 248);
    EXPECT_EQ(settings.ProgressBar1->maximum(), 249);
    EXPECT_EQ(settings.txtfile->text(), QStringLiteral("/media/clip.avi"));
    // A missing output folder gives way to the default one; an existing one stays.
    EXPECT_EQ(settings.txtout->text(), programDir.path() + QStringLiteral("/"));
    settings.txtout->setText(outDir.path());
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[&] { settings.Option2->setChecked(true); }, "From | To 1 [1..249] | 11 | 0"},
        {[&] { settings.sldto->setValue(50); }, "From | To 50 [1..249] | 11 | 2"},
        {[&] { settings.sldfrom->setValue(100); }, "From 100 | To 101 [101..249] | 11 | 4"},
        // From at its maximum fixes To at the last frame.
        {[&] { settings.sldfrom->setValue(248); }, "From 248 | To 249 [101..249] | 10 | 10"},
        {[&] { settings.sldfrom->setValue(100); }, "From 100 | To 249 [101..249] | 11 | 4"},
        {[&] { settings.Option1->setChecked(true); }, "From 100 | To 249 [101..249] | 00 | 4"},
        {[&] { settings.sldfrom->setValue(30), settings.Option2->setChecked(true); },
         "From 30 | To 249 [31..249] | 11 | 1"},
        // A shorter picture pulls the values into its ranges, though its sound runs on.
        {[&] { useRange(200, 240), graphs.script->videoEnd = 4.0, open(); },
         "From 98 | To 99 [99..99] | 10 | 4"},
        {[&] { graphs.script->videoEnd = 0.04, open(); }, "From 0 | To 1 [1..1] | 10 | 0"},
    };
    for (const auto& [step, expected] : steps) {
        step();
        EXPECT_EQ(ranges(), QLatin1String(expected));
    }
    EXPECT_TRUE(state.positionHeld);
    EXPECT_EQ(settings.txtout->text(), outDir.path());
}

// Each end of a run, from a yield between moving to frame 5 and saving it: its files, the
// counter, the message; the window locked throughout, a second start refused, all given back.
// The failures a run meets are BulkCaptureTest's: here a file's, the video's, a folder not made.
TEST_F(CaptureWindowTest, EachEndOfARunIsShownAndGivesTheWindowBack)
{
    ASSERT_TRUE(QFile(outDir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly));
    enum Request { None, Cancel, MoveAway, BreakVideo };
    // From -1: the whole video; the files left: first..last; a message pattern, @ the folder.
    const struct { const char* folder; int from, to; bool muted; Request request; int first, last;
                   const char* counter; const char* message; } runs[] = {
        {"range", 100, 200, false, None, 100, 200, "200/200 200 [100..200]",
         "Cinevra\\|Information\\|The frames have been captured and saved in the desired "
         "location"},
        {"cancelled", -1, 0, true, Cancel, 0, 5, "5/249 5 [0..249]", ""},
        {"gone", -1, 0, false, MoveAway, 0, -1, nullptr,
         "Cinevra\\|Critical\\|The capture stopped: \"@/gone/frame[0-5]\\.bmp\" could not be "
         "saved\\.\n\nError 2: .*No such file or directory"},
        {"engine", -1, 0, false, BreakVideo, 0, -1, nullptr,
         "Cinevra\\|Critical\\|The capture stopped: \"/media/clip\\.avi\" could not be read\\."
         "\n\nError 5: GetCurrentImage failed"},
        {"file/sub", -1, 0, false, None, 0, -1, nullptr,
         "Kadrel - CreatePath Function\\|Exclamation\\|Error 17: File exists\r\n"
         "Could Not Create/Access Directory:\r\n\r\n\"@/file/sub/\""},
    };
    state.volumeLevel = 30;
    open();
    for (const auto& run : runs) {
        SCOPED_TRACE(run.folder);
        if (run.from < 0)
            settings.Option1->setChecked(true);
        else
            useRange(run.from, run.to);
        state.muted = run.muted;
        const QString folder = outDir.filePath(QLatin1String(run.folder));
        const QString before = controls();
        QString during, counter;
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
            graphs.script->failing = {run.request == BreakVideo ? "GetCurrentImage" : ""};
            if (yields != 12)
                return;
            if (run.request == Cancel)
                settings.cmdcancel->click();
            else if (run.request == MoveAway)
                QDir().rename(folder, folder + QStringLiteral(".away"));
        };
        EXPECT_EQ(runInto(folder), frameNames(run.first, run.last));
        if (run.counter) {
            EXPECT_EQ(counter, QStringLiteral("Capturing Frame:") + QLatin1String(run.counter));
        }
        const QString shown = test::takeMessages(fake.messageBox).join(u'\n');
        const QString pattern = QString(run.message).replace(u'@', outDir.path());
        EXPECT_TRUE(QRegularExpression(u'^' + pattern + u'$').match(shown).hasMatch())
            << shown.toStdString();
        EXPECT_EQ(during, QStringLiteral("000000011 000"));
        EXPECT_EQ(settings.Label2->text(), QStringLiteral("Capturing Frame:"));
        EXPECT_EQ(settings.ProgressBar1->value(), 0);
        EXPECT_EQ(graphs.last->volume, run.muted ? -10000 : -7000);
        EXPECT_EQ(controls(), before);
    }
}

class CaptureMediaTest : public CaptureWindowTest {
protected:
    CaptureMediaTest() : CaptureWindowTest(makeFfmpegGraph) {}
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
