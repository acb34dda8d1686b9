// The bulk run on the recording graph: which files it writes, what the window shows while it
// runs and after it, cancel, the output folder, and failures in the middle of a run.

#include "CaptureFixture.h"

#include "common/mCommon.h"

#include <QFile>
#include <QFileInfo>

namespace kadrel {
namespace {

using test::CaptureFixture;

class CaptureRunTest : public CaptureFixture {
protected:
    // Records the counter after every frame (the yield that follows the save).
    void recordCounter()
    {
        onYield = [this] {
            if (counters.isEmpty() || counters.last() != settings->Label2->text())
                counters << settings->Label2->text();
        };
    }

    // The text of the one message the run showed.
    QString onlyMessage() const
    {
        EXPECT_EQ(fake.messageBox.messages.size(), 1u);
        return fake.messageBox.messages.empty() ? QString() : fake.messageBox.messages[0].text;
    }

    QStringList counters;
};

// Whether text holds part; a failure shows the whole text.
::testing::AssertionResult holds(const QString& text, const QString& part)
{
    if (text.contains(part))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << text.toStdString();
}

struct RangeCase {
    const char* name;
    double duration;
    double timePerFrame;
    int from;  // -1: whole video
    int to;
    int first;
    int last;
};

class CaptureRunFiles : public CaptureRunTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(CaptureRunFiles, WritesExactlyTheFramesOfTheRange)
{
    const RangeCase c = GetParam();
    graphs.script->duration = c.duration;
    graphs.script->timePerFrame = c.timePerFrame;
    open();
    if (c.from >= 0)
        useRange(c.from, c.to);
    EXPECT_EQ(runInto(outDir.path()), frameNames(c.first, c.last));
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, CaptureRunFiles,
    ::testing::Values(RangeCase{"Whole10s", 10.0, 0.04, -1, 0, 0, 250},  // 251 files
                      // The 25th addition of 0.04 passes 1 s.
                      RangeCase{"Whole1s", 1.0, 0.04, -1, 0, 0, 24},
                      RangeCase{"From10To20At30fps", 10.0, 1.0 / 30, 10, 20, 10, 20},
                      // The 100th addition passes 8 s by a hair.
                      RangeCase{"From100To200", 10.0, 0.04, 100, 200, 100, 199},
                      RangeCase{"From0To1", 10.0, 0.04, 0, 1, 0, 1}),
    [](const ::testing::TestParamInfo<RangeCase>& info) { return info.param.name; });

TEST_F(CaptureRunTest, CounterAndProgressFollowTheFrames)
{
    open();
    recordCounter();
    std::vector<int> progress;
    onYield = [this, &progress] {
        if (counters.isEmpty() || counters.last() != settings->Label2->text()) {
            counters << settings->Label2->text();
            progress.push_back(settings->ProgressBar1->value());
        }
    };
    runInto(outDir.path());
    ASSERT_EQ(counters.size(), 252);  // the state before the first frame, then 251 frames
    EXPECT_EQ(counters[1], QStringLiteral("Capturing Frame:0/250"));
    EXPECT_EQ(counters[38], QStringLiteral("Capturing Frame:37/250"));
    EXPECT_EQ(counters.last(), QStringLiteral("Capturing Frame:250/250"));
    EXPECT_EQ(progress[38], 37);
    EXPECT_EQ(progress.back(), 250);

    // Completed: the message, then the frame as before the run.
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages[0].text,
              QStringLiteral("The frames have been captured and saved in the desired location"));
    EXPECT_EQ(fake.messageBox.messages[0].title, QStringLiteral("Cinevra"));
    EXPECT_EQ(fake.messageBox.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(settings->Label2->text(), QStringLiteral("Capturing Frame:"));
    EXPECT_FALSE(settings->Label2->isEnabled());
    EXPECT_EQ(settings->ProgressBar1->value(), 0);
    EXPECT_EQ(settings->ProgressBar1->maximum(), 250);
}

TEST_F(CaptureRunTest, OneSecondCounterEndsBelowItsTotal)
{
    graphs.script->duration = 1.0;
    open();
    recordCounter();
    runInto(outDir.path());
    EXPECT_EQ(counters.last(), QStringLiteral("Capturing Frame:24/25"));
}

TEST_F(CaptureRunTest, RangeSetsTheProgressBarToTheRange)
{
    open();
    useRange(100, 120);
    int minimum = -1;
    int maximum = -1;
    onYield = [&] {
        minimum = settings->ProgressBar1->minimum();
        maximum = settings->ProgressBar1->maximum();
    };
    runInto(outDir.path());
    EXPECT_EQ(minimum, 100);
    EXPECT_EQ(maximum, 120);
    EXPECT_EQ(settings->ProgressBar1->minimum(), 0);
    EXPECT_EQ(settings->ProgressBar1->maximum(), 250);
}

TEST_F(CaptureRunTest, MediaIsPausedSilencedAndMovedFrameByFrame)
{
    open();
    useRange(0, 2);
    ASSERT_FALSE(state.paused);
    host.log.clear();
    graphs.script->calls.clear();
    runInto(outDir.path());

    EXPECT_EQ(host.log.mid(0, 4),
              (QStringList{QStringLiteral("lockForRun"), QStringLiteral("cmdplay1_Click"),
                           QStringLiteral("Slider1=0"), QStringLiteral("Slider1_Click")}));
    QStringList moves;
    for (const QString& call : graphs.script->calls) {
        for (const char* kind : {"put_Volume", "put_CurrentPosition", "GetCurrentImage"}) {
            if (call.startsWith(QLatin1String(kind)))
                moves << call;
        }
    }
    EXPECT_EQ(moves, (QStringList{QStringLiteral("put_Volume(-10000)"),
                                  QStringLiteral("put_CurrentPosition(0)"),
                                  QStringLiteral("put_CurrentPosition(0)"),
                                  QStringLiteral("GetCurrentImage(3112)"),
                                  QStringLiteral("put_CurrentPosition(0.04)"),
                                  QStringLiteral("GetCurrentImage(3112)"),
                                  QStringLiteral("put_CurrentPosition(0.08)"),
                                  QStringLiteral("GetCurrentImage(3112)"),
                                  QStringLiteral("put_Volume(0)")}));
    EXPECT_TRUE(state.paused);
    EXPECT_FALSE(movie.session().playing);
}

TEST_F(CaptureRunTest, MutedStaysMutedOtherwiseTheVolumeSliderComesBack)
{
    open();
    state.volumeLevel = 30;
    graphs.script->duration = 0.2;
    runInto(outFolder(QStringLiteral("a")));
    EXPECT_EQ(graphs.last->volume, -7000);

    state.muted = true;
    movie.SetVolume(-10000);
    host.log.clear();
    runInto(outFolder(QStringLiteral("b")));
    EXPECT_EQ(graphs.last->volume, -10000);
    EXPECT_FALSE(host.log.contains(QStringLiteral("Slider2_Change")));
}

TEST_F(CaptureRunTest, NothingCanDisturbARunAndEverythingComesBackAsItWas)
{
    open();
    useRange(249, 250);  // To fixed at the end and disabled
    ASSERT_FALSE(settings->sldto->isEnabled());
    bool checked = false;
    onYield = [&] {
        if (checked)
            return;
        checked = true;
        EXPECT_TRUE(host.locked);
        EXPECT_FALSE(host.frame1Enabled);
        EXPECT_FALSE(host.cmdcaptureEnabled);
        const std::initializer_list<QWidget*> off{settings->cmdbulkcapture, settings->Option1,
                                                  settings->Option2,        settings->sldfrom,
                                                  settings->sldto,          settings->cmddir,
                                                  settings->txtout};
        for (QWidget* w : off)
            EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
        EXPECT_TRUE(settings->cmdcancel->isEnabled());
        EXPECT_TRUE(settings->Label2->isEnabled());
        EXPECT_TRUE(settings->running());
        // A second start from within the run is refused.
        const int before = yields;
        settings->cmdbulkcapture_Click();
        EXPECT_EQ(yields, before);
    };
    EXPECT_EQ(runInto(outDir.path()), frameNames(249, 250));
    EXPECT_TRUE(checked);
    EXPECT_FALSE(host.locked);
    EXPECT_TRUE(host.frame1Enabled);
    EXPECT_TRUE(host.cmdcaptureEnabled);
    EXPECT_TRUE(settings->cmdbulkcapture->isEnabled());
    EXPECT_TRUE(settings->Option1->isEnabled());
    EXPECT_TRUE(settings->Option2->isChecked());
    EXPECT_TRUE(settings->sldfrom->isEnabled());
    EXPECT_FALSE(settings->sldto->isEnabled());
    EXPECT_TRUE(settings->cmddir->isEnabled());
    EXPECT_TRUE(settings->txtout->isEnabled());
    EXPECT_FALSE(settings->cmdcancel->isEnabled());
    EXPECT_FALSE(settings->running());
}

TEST_F(CaptureRunTest, CancelEndsTheRunAfterTheFrameInHand)
{
    open();
    // Yield 1 prepares the media; frame k yields after its move (2 + 2k) and after its file.
    // The click arrives between moving to frame 5 and saving it.
    onYield = [this] {
        if (yields == 12)
            settings->cmdcancel->click();
    };
    EXPECT_EQ(runInto(outDir.path()), frameNames(0, 5));
    EXPECT_TRUE(fake.messageBox.messages.empty());
    EXPECT_FALSE(settings->cancelCapture());
    EXPECT_EQ(settings->ProgressBar1->value(), 0);
    EXPECT_FALSE(settings->cmdcancel->isEnabled());
    EXPECT_TRUE(settings->cmdbulkcapture->isEnabled());
    EXPECT_TRUE(host.frame1Enabled);
}

TEST_F(CaptureRunTest, ClosingDuringARunCancelsItFirst)
{
    open();
    bool closed = false;
    bool runningAtClose = true;
    onYield = [&] {
        if (settings->Label2->text() == QStringLiteral("Capturing Frame:2/250")) {
            settings->cancelRunThen([&] {
                closed = true;
                runningAtClose = settings->running();
            });
        }
    };
    EXPECT_EQ(runInto(outDir.path()), frameNames(0, 2));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(runningAtClose);
    EXPECT_TRUE(fake.messageBox.messages.empty());
    EXPECT_TRUE(host.frame1Enabled);

    // Without a run, at once.
    bool now = false;
    settings->cancelRunThen([&] { now = true; });
    EXPECT_TRUE(now);
}

TEST_F(CaptureRunTest, MissingNestedFolderIsCreatedFirst)
{
    graphs.script->duration = 0.2;
    open();
    const QString folder = outFolder(QStringLiteral("new/sub"));
    EXPECT_EQ(runInto(folder), frameNames(0, 5));
    EXPECT_EQ(fake.messageBox.messages.size(), 1u);  // the completion message only
}

TEST_F(CaptureRunTest, FolderThatCannotBeMadeEndsTheRunAtOnce)
{
    open();
    QFile blocker(outFolder(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    graphs.script->calls.clear();
    const QString folder = outFolder(QStringLiteral("file/sub"));
    settings->txtout->setText(folder);
    settings->cmdbulkcapture_Click();

    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages[0].title, QStringLiteral("Kadrel - CreatePath Function"));
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_FALSE(graphs.script->calls.join(u' ').contains(QLatin1String("GetCurrentImage")));
    EXPECT_TRUE(host.frame1Enabled);
    EXPECT_FALSE(settings->cmdcancel->isEnabled());
    EXPECT_FALSE(host.locked);
}

TEST_F(CaptureRunTest, AFileThatCannotBeWrittenStopsTheRunThere)
{
    graphs.script->duration = 1.0;
    open();
    ASSERT_TRUE(QDir(outDir.path()).mkdir(QStringLiteral("frame3.bmp")));
    const QStringList written = runInto(outDir.path());
    EXPECT_EQ(written, frameNames(0, 2));
    EXPECT_TRUE(QFileInfo(outDir.filePath(QStringLiteral("frame3.bmp"))).isDir());

    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    const test::RecordedMessage& message = fake.messageBox.messages[0];
    EXPECT_EQ(message.title, QStringLiteral("Cinevra"));
    EXPECT_EQ(message.icon, MessageIcon::Critical);
    EXPECT_TRUE(holds(message.text, outDir.path() + QStringLiteral("/frame3.bmp")));
    EXPECT_TRUE(holds(message.text, QStringLiteral("Is a directory")));
    EXPECT_TRUE(host.frame1Enabled);
    EXPECT_FALSE(settings->cmdcancel->isEnabled());
    EXPECT_EQ(settings->Label2->text(), QStringLiteral("Capturing Frame:"));
}

TEST_F(CaptureRunTest, AFolderThatVanishesStopsTheRun)
{
    open();
    const QString folder = outFolder(QStringLiteral("gone"));
    onYield = [&] {
        if (yields == 7)  // after frame 2's file
            QDir(folder).removeRecursively();
    };
    settings->txtout->setText(folder);
    settings->cmdbulkcapture_Click();
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    const test::RecordedMessage& message = fake.messageBox.messages[0];
    EXPECT_EQ(message.title, QStringLiteral("Cinevra"));
    EXPECT_TRUE(holds(message.text, folder + QStringLiteral("/frame3.bmp")));
    EXPECT_TRUE(holds(message.text, QStringLiteral("No such file or directory")));
}

TEST_F(CaptureRunTest, AFullDiskStopsTheRunWithTheReason)
{
    if (!QFileInfo(QStringLiteral("/dev/full")).exists())
        GTEST_SKIP() << "no /dev/full";
    graphs.script->duration = 0.2;
    open();
    // The run writes <folder>/frame0.bmp; a link of that name to /dev/full refuses the bytes.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"),
                            outDir.filePath(QStringLiteral("frame0.bmp"))));
    runInto(outDir.path());
    EXPECT_TRUE(holds(onlyMessage(), QStringLiteral("No space left on device")));
    EXPECT_FALSE(QFileInfo::exists(outDir.filePath(QStringLiteral("frame1.bmp"))));
}

TEST_F(CaptureRunTest, AFrameTheEngineCannotGiveStopsTheRun)
{
    open();
    graphs.script->failing << QStringLiteral("GetCurrentImage");
    EXPECT_TRUE(runInto(outDir.path()).isEmpty());
    const QString text = onlyMessage();
    EXPECT_TRUE(holds(text, outDir.path() + QStringLiteral("/frame0.bmp")));
    EXPECT_TRUE(holds(text, QStringLiteral("GetCurrentImage failed")));
}

TEST_F(CaptureRunTest, AMoveThatFailsStopsTheRunBeforeItsFile)
{
    open();
    graphs.script->failing << QStringLiteral("put_CurrentPosition");
    EXPECT_TRUE(runInto(outDir.path()).isEmpty());
    EXPECT_TRUE(holds(onlyMessage(), outDir.path() + QStringLiteral("/frame0.bmp")));
    EXPECT_TRUE(host.frame1Enabled);
}

TEST_F(CaptureRunTest, ARootFolderGivesTwoSeparatorsInTheName)
{
    graphs.script->duration = 0.04;
    open();
    settings->txtout->setText(outDir.path() + QStringLiteral("/"));
    graphs.script->failing << QStringLiteral("GetCurrentImage");
    settings->cmdbulkcapture_Click();
    EXPECT_TRUE(holds(onlyMessage(), outDir.path() + QStringLiteral("//frame0.bmp")));
}

}  // namespace
}  // namespace kadrel
