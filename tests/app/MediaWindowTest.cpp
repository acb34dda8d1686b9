// The main window on the FFmpeg engine: the commands each kind of media offers, frames saved as
// shown, a file named at start or dropped, and the user's choices at the next start.

#include "MainWindowFixture.h"

#include "app/FileDrop.h"
#include "app/Launch.h"
#include "app/UserSettings.h"

#include <QDropEvent>
#include <QImageReader>
#include <QListWidget>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace {

class MediaWindowTest : public MainWindowTest {
protected:
    MediaWindowTest() : MainWindowTest(makeFfmpegGraph)
    {
        EXPECT_TRUE(generateClip({.frames = 75}, clip).ok());
    }

    // 1 or 0 per command: play pause info position | first last back forward | capture full
    // normal bulk Frame3 | menus Close Info Capture Full | Play Pause First Last Back Forward.
    QString available()
    {
        const frmmain& w = *window;
        window->mnufile_Click();
        window->mnucontrol_Click();
        QString flags;
        using Controls = std::initializer_list<const QWidget*>;
        for (const QWidget* control :
             Controls{w.cmdplay, w.cmdplay1, w.cmdinfo, w.Slider1, w.cmdback, w.cmdnext, w.cmdseek,
                      w.cmdstep, w.cmdcapture, w.cmdfullscreen, w.cmdnormal, w.cmdbulkcapture,
                      w.Frame3})
            flags += enabledFlag(control) ? u'1' : u'0';
        for (const QAction* item : {w.mnuclose, w.mnuinfo, w.mnucapture, w.mnufullscreen, w.mnuplay,
                                    w.mnupause, w.mnufirst, w.mnulast, w.mnuback, w.mnuforward})
            flags += item->isEnabled() ? u'1' : u'0';
        return flags.insert(17, u' ').insert(13, u' ').insert(8, u' ').insert(4, u' ');
    }

    // Whether a drag and drop of urls onto the window was taken.
    bool drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &enter);
        QDropEvent dropped({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    }

    const QString clip = folder.filePath(u"clip.avi"_s);
};

}  // namespace

// F4 brings the Controls menu up to date before it acts (Pause was never offered, yet it
// pauses); a file that cannot be opened is named with the engine's reason. The dialogs' titles
// are DesktopEndToEnd's.
TEST_F(MediaWindowTest, CommandsFollowTheMediaOrTheFileIsNamedWithTheReason)
{
    const ClipSpec song{.codec = ClipSpec::Codec::None, .withAudio = true};  // one second
    ASSERT_TRUE(generateClip(song, folder.filePath(u"song.wav"_s)).ok());
    const struct { const char *steps, *caption, *state, *available; } rows[] = {
        {"", "", "", "0101 0000 00000 0000 000000"},  // start-up
        {"clip.avi,F4", "(clip.avi)", "Paused", "1111 1111 11011 1111 101111"},
        {"Play", "(clip.avi)", "Playing", "1111 1111 11011 1111 011111"},
        {"Close", "", "Closed", "0000 0000 00000 0000 011111"},
        {"song.wav", "(song.wav)", "Playing", "1111 1100 00000 1100 011100"},
        {"clip.avi", "(clip.avi)", "Playing", "1111 1111 11011 1111 011111"},
        // Sound only after a video: nothing the video left on stays on.
        {"song.wav", "(song.wav)", "Playing", "1111 1100 00000 1100 011100"},
        {"empty.avi", "", "Closed", "0000 0000 00000 0000 011100"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.steps);
        for (const QString& step : QString(row.steps).split(u',', Qt::SkipEmptyParts))
            step == u"Close" ? window->mnuclose_Click()
            : step == u"Play" ? window->cmdplay_Click()
            : step == u"F4"   ? press({step})
                              : open(step);
        EXPECT_EQ(window->windowTitle(), kMainCaption + QLatin1String(row.caption));
        EXPECT_EQ(window->lblstate->text(), QLatin1String(row.state));
        EXPECT_EQ(available(), QLatin1String(row.available));
        const QStringList shown = takeMessages(fake.messageBox);
        const bool failed = QString(row.steps).endsWith(u".avi") && !*row.caption;
        ASSERT_EQ(shown.size(), failed ? 1 : 0);
        const QString why = u"Kadrel|Critical|Can not open the media file\n"_s;
        EXPECT_TRUE(!failed || shown[0].startsWith(why + folder.filePath(row.steps) + "\n\nError "))
            << shown.join(u' ').toStdString();
    }
}

// Capture pauses first and asks with its own dialog; the file is the frame on show, of the type
// its name gives; a failed write is told. The type chosen in the list reaches a bulk run.
TEST_F(MediaWindowTest, FramesAreSavedAsShownInTheChosenType)
{
    open(u"clip.avi"_s);
    bool pausedDuringDialog = false;
    fake.fileDialog.duringDialog = [&] {
        pausedDuringDialog = state.paused;
        fake.clock.ticks += 1000;  // the user's time to choose
    };
    window->cmdnext_Click();  // frame picking after each move is FramePickingTest's
    EXPECT_EQ(saveFrameAs(u"shot.jpg"_s), 74);
    EXPECT_TRUE(pausedDuringDialog && state.paused);
    const FileDialogRequest& request = fake.fileDialog.calls.back().request;
    EXPECT_TRUE(request.save && request.defaultSuffix == u"bmp"_s);
    EXPECT_EQ(request.nameFilters, QStringList({u"Bitmap Image (*.bmp) (*.bmp)"_s,
                                                u"PNG Image (*.png) (*.png)"_s,
                                                u"JPEG Image (*.jpg) (*.jpg)"_s,
                                                u"WebP Image (*.webp) (*.webp)"_s}));
    EXPECT_EQ(QImageReader(folder.filePath(u"shot.jpg"_s)).format(), QByteArray("jpeg"));
    const QString missing = folder.filePath(u"missing/shot.bmp"_s);
    fake.fileDialog.replies = {QString(), missing};  // cancelled, then a folder that is not there
    window->cmdcapture_Click();
    window->cmdcapture_Click();
    EXPECT_EQ(takeMessages(fake.messageBox),
              QStringList{u"Kadrel|Critical|The frame was not saved to\n%1\n\nError 2: %1: "
                          "No such file or directory"_s.arg(missing)});

    // One wiring check: the run and its files are CaptureRunTest's and ExtractToolTest's.
    window->capture->lsttypes->setCurrentRow(2);
    window->capture->txtout->setText(folder.filePath(u"jpg"_s));
    window->capture->cmdbulkcapture_Click();
    EXPECT_EQ(frameIndexFromImageFile(folder.filePath(u"jpg/frame74.jpg"_s)), 74);
}

// The tip window comes first, then the file named at start plays; a name that is no file
// opens nothing.
TEST_F(MediaWindowTest, FileOnTheCommandLineOpensAfterTheTipWindow)
{
    const struct { QString file; const char* tips; bool opens; } starts[] = {
        {clip, "1", true}, {clip, "0", true}, {folder.filePath(u"none.avi"_s), "1", false}};
    for (const auto& start : starts) {
        SCOPED_TRACE(start.tips);
        ProgramState fresh;
        ActiveMovieControl session(fresh, fake.screen, makeFfmpegGraph);
        fake.settings.values[u"Options/Show Tips at Startup"_s] = QLatin1String(start.tips);
        std::unique_ptr<frmmain> started;
        startProgram({fake.platform(), fresh, session, folder.path(), start.file}, started);
        ASSERT_TRUE(started);
        QWidgetList tips = QApplication::topLevelWidgets();
        tips.removeIf([](QWidget* w) { return !w->inherits("kadrel::frmTip") || w->isHidden(); });
        EXPECT_EQ(tips.size(), *start.tips == '1' ? 1 : 0);
        EXPECT_EQ(started->isEnabled(), tips.isEmpty());  // the tip window holds it until closed
        EXPECT_EQ(fresh.loadedFile, start.opens ? clip : QString());
        EXPECT_EQ(started->lblstate->text(), start.opens ? u"Playing"_s : QString());
        qDeleteAll(tips);
        started->setProgramEnd([] {});
    }
}

// A local file dropped opens; a web address, or any drop while Open is out of reach, is refused.
TEST_F(MediaWindowTest, DroppedFileOpensWhenOpenIsAvailable)
{
    acceptFileDrops(*window);
    EXPECT_FALSE(drop({QUrl(u"https://example.org/clip.avi"_s)}));
    window->mnuopen->setEnabled(false);
    EXPECT_FALSE(drop({QUrl::fromLocalFile(clip)}));
    EXPECT_TRUE(state.loadedFile.isEmpty());
    window->mnuopen->setEnabled(true);
    EXPECT_TRUE(drop({QUrl(u"https://example.org/a.avi"_s), QUrl::fromLocalFile(clip)}));
    EXPECT_EQ(state.loadedFile, clip);
}

// The choices are stored under keys of their own and put back; unreadable values give defaults.
TEST_F(MediaWindowTest, ChoicesComeBackAtTheNextStart)
{
    open(u"clip.avi"_s);
    window->Slider2->setValue(40);
    window->mnumute_Click();
    window->mnurepeat_Click();
    window->capture->txtout->setText(folder.filePath(u"frames"_s));
    window->capture->lsttypes->setCurrentRow(3);  // the last row
    saveUserSettings(*window, fake.settings);
    const QString opened = QDir(folder.path()).absolutePath() + u'/';
    QStringList saved;  // the capture options' keys are CaptureOptionsTest's
    for (const char* key : {"Volume", "Mute", "Repeat", "OutputFolder", "OutputType", "OpenFolder"})
        saved << fake.settings.values.value(u"Preferences/"_s + QLatin1String(key));
    EXPECT_EQ(saved.join(u' '), u"40 1 0 %1 webp %2"_s.arg(folder.filePath(u"frames"_s), opened));

    const auto restored = [&] {
        ProgramState fresh;
        frmmain next(fake.platform(), fresh, movie);
        next.Form_Load();
        restoreUserSettings(next, fake.settings);
        fake.fileDialog.replies = {QString()};
        next.mnuopen_Click();
        return u"%1 %2%3%4 %5 %6 %7"_s.arg(next.Slider2->value())
            .arg(next.mnumute->isChecked()).arg(fresh.muted).arg(next.cmdmute1->isVisibleTo(&next))
            .arg(next.mnurepeat->isChecked())
            .arg(imageFormatInfo(next.capture->outputFormat()).name)
            .arg(fake.fileDialog.calls.back().request.initialFolder == opened);
    };
    EXPECT_EQ(restored(), u"40 111 0 webp 1"_s);
    for (const char* key : {"Volume", "Mute", "Repeat", "OutputType", "OpenFolder"})
        fake.settings.values[u"Preferences/"_s + QLatin1String(key)] = u"x"_s;
    EXPECT_EQ(restored(), u"100 000 1 bmp 0"_s);
}

// A folder dropped, or chosen under Tools: each video into a folder of its name, the video
// named beside the counter, the one that fails listed at the end; Cancel stops them all; two
// videos of one name are refused.
TEST_F(MediaWindowTest, FolderOfVideosIsCapturedVideoByVideo)
{
    const QDir videos(folder.filePath(u"videos"_s));
    ASSERT_TRUE(videos.mkpath(u"."_s));
    ASSERT_TRUE(generateClip({.frames = 6}, videos.filePath(u"a.avi"_s)).ok());
    ASSERT_TRUE(generateClip({.frames = 4}, videos.filePath(u"b.mkv"_s)).ok());
    for (const QString& name : {u"bad.mp4"_s, u"notes.txt"_s})
        QFile(videos.filePath(name)).open(QIODevice::WriteOnly);
    acceptFileDrops(*window);
    QStringList shown;  // the counter, at every yield
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (shown.isEmpty() || shown.back() != window->capture->Label2->text())
            shown << window->capture->Label2->text();
    });
    watch.start(0);
    const auto written = [&](const QString& name) {
        return QDir(folder.filePath(name)).entryList(QDir::Files).size();
    };

    window->capture->txtout->setText(folder.filePath(u"out"_s));
    EXPECT_TRUE(drop({QUrl::fromLocalFile(videos.path())}));
    QCoreApplication::processEvents();
    EXPECT_EQ(written(u"out/a"_s), 6);
    EXPECT_EQ(written(u"out/b"_s), 4);
    EXPECT_FALSE(QDir(folder.filePath(u"out/bad"_s)).exists());
    const QString messages = takeMessages(fake.messageBox).join(u'\n');
    EXPECT_TRUE(messages.startsWith(u"Cinevra|Critical|These videos could not be captured:\n\n"
                                    "bad.mp4: Error "_s)) << messages.toStdString();
    EXPECT_EQ(messages.count(u'\n'), 2);
    for (const QString& line : {u"Video 1 of 3: a.avi - Capturing Frame:5/5"_s,
                               u"Video 2 of 3: b.mkv"_s, u"Video 3 of 3: bad.mp4"_s})
        EXPECT_TRUE(shown.contains(line)) << line.toStdString();
    EXPECT_TRUE(state.loadedFile.isEmpty() && !window->Frame3->isEnabled());
    EXPECT_EQ(window->capture->txtout->text(), folder.filePath(u"out"_s));

    window->capture->txtout->setText(folder.filePath(u"cancelled"_s));
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (shown.back().endsWith(u"Frame:2/5"_s))
            window->cmdcancel->click();
    });
    fake.fileDialog.replies = {videos.path()};
    window->mnucapturefolder->trigger();
    EXPECT_LT(written(u"cancelled/a"_s), 6);
    EXPECT_FALSE(QDir(folder.filePath(u"cancelled/b"_s)).exists());
    EXPECT_TRUE(fake.messageBox.messages.empty());
    EXPECT_EQ(state.loadedFile, videos.filePath(u"a.avi"_s));
    EXPECT_TRUE(window->cmdbulkcapture->isEnabled() && window->mnuopen->isEnabled());

    // Two videos of one name would mix their files: nothing runs.
    QFile(videos.filePath(u"a.mkv"_s)).open(QIODevice::WriteOnly);
    window->capture->txtout->setText(folder.filePath(u"clash"_s));
    fake.fileDialog.replies = {videos.path()};
    window->mnucapturefolder->trigger();
    EXPECT_EQ(takeMessages(fake.messageBox).join(u'\n'),
              u"Cinevra|Exclamation|a.avi and a.mkv would be captured into the same folder. "
              "Rename one of them, or capture them one at a time."_s);
    EXPECT_FALSE(QDir(folder.filePath(u"clash"_s)).exists());
}
