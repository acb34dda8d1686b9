// The main window on the FFmpeg engine with generated media: the commands available with no
// media, a video, sound only and a file that cannot be played, and frames saved exactly as
// shown.

#include "MainWindowFixture.h"

#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"

#include <QFileInfo>

using namespace kadrel;
using namespace kadrel::test;

class MediaWindowTest : public MainWindowTest {
protected:
    // Three seconds of 160 x 120 video at 25 frames per second.
    MediaWindowTest() : MainWindowTest(makeFfmpegGraph)
    {
        EXPECT_TRUE(generateClip({.frames = 75}, folder.filePath(QStringLiteral("clip.avi"))).ok());
    }

    // 1 or 0 per command: play, pause, info, position | first, last, back, forward | capture,
    // full screen, normal size, bulk capture, Frame3 | Close, Info, Capture, Full Screen |
    // Play, Pause, First, Last, Back, Forward, each menu as it drops down.
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

    // Saves the frame on show and reads back the index it carries.
    int capture()
    {
        const QString bmp = folder.filePath(QStringLiteral("frame.bmp"));
        fake.fileDialog.replies.push_back(bmp);
        window->cmdcapture_Click();
        EXPECT_EQ(QFileInfo(bmp).size(), 54 + 4 * 160 * 120);
        return frameIndexFromBitmap(bmp);
    }
};

// F4 brings the Controls menu up to date before it acts: Pause was never offered, yet it
// pauses. With no media the menu is kept as it was; a file that cannot be opened is named
// with the engine's reason and leaves no media.
TEST_F(MediaWindowTest, CommandsFollowTheMediaOrTheFileIsNamedWithTheReason)
{
    ASSERT_TRUE(generateClip({.codec = ClipSpec::Codec::None, .withAudio = true},
                             folder.filePath(QStringLiteral("song.wav")))
                    .ok());  // one second
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
        fake.messageBox.messages.clear();
        for (const QString& step : QString(row.steps).split(u',', Qt::SkipEmptyParts))
            step == u"Close" ? window->mnuclose_Click()
            : step == u"Play" ? window->cmdplay_Click()
            : step == u"F4"   ? press({step})
                              : open(step);
        EXPECT_EQ(window->windowTitle(), kMainCaption + QLatin1String(row.caption));
        EXPECT_EQ(window->lblstate->text(), QLatin1String(row.state));
        EXPECT_EQ(available(), QLatin1String(row.available));
        const bool failed = QString(row.steps).endsWith(u".avi") && !*row.caption;
        ASSERT_EQ(fake.messageBox.messages.size(), failed ? 1u : 0u);
        for (const RecordedMessage& message : fake.messageBox.messages)
            EXPECT_TRUE(message.title == QStringLiteral("Kadrel")
                        && message.text.contains(folder.filePath(QLatin1String(row.steps)))
                        && message.text.contains(QStringLiteral("Error ")))
                << message.text.toStdString();
    }
    const FileDialogRequest& request = fake.fileDialog.calls.at(0).request;
    EXPECT_EQ(request.title, QStringLiteral("Open..."));
    EXPECT_EQ(request.nameFilters.value(0),
              QStringLiteral("All Media Files (*.mpg *.mpeg *.m1v *.mp2 *.mpa *.mpe *.mpv2 *.dat "
                             "*.avi *.wmv *.mp3 *.mid *.wav *.m3u *.mp4 *.m4v *.mkv *.webm *.mov "
                             "*.ogv *.flv *.3gp *.ts *.mts)"));
}

// Capture pauses first and asks with its own dialog; the file read back is the frame on show
// after each move. A cancelled dialog is silent; a failed write names the file and the reason.
TEST_F(MediaWindowTest, CapturedFrameIsTheFrameOnShow)
{
    open(QStringLiteral("clip.avi"));
    bool pausedDuringDialog = false;
    fake.fileDialog.duringDialog = [&] {
        pausedDuringDialog = state.paused;
        fake.clock.ticks += 1000;  // the user's time to choose
    };
    EXPECT_GE(capture(), 0);
    EXPECT_TRUE(pausedDuringDialog && state.paused);
    const FileDialogRequest& request = fake.fileDialog.calls.back().request;
    EXPECT_TRUE(request.save && request.defaultSuffix == QStringLiteral("bmp"));
    EXPECT_EQ(request.title, QStringLiteral("Save Frame As..."));
    EXPECT_EQ(request.nameFilters.value(0), QStringLiteral("Bitmap Image (*.bmp) (*.bmp)"));
    const std::pair<void (frmmain::*)(), int> moves[] = {{&frmmain::cmdstep_Click, 25},
                                                         {&frmmain::cmdnext_Click, 74},
                                                         {&frmmain::cmdseek_Click, 50},
                                                         {&frmmain::cmdback_Click, 0}};
    for (const auto& [move, frame] : moves) {
        (window.get()->*move)();
        EXPECT_EQ(capture(), frame);
    }

    const QString missing = folder.filePath(QStringLiteral("missing/shot.bmp"));
    fake.fileDialog.replies = {QString(), missing};  // cancelled, then a folder that is not there
    window->cmdcapture_Click();
    window->cmdcapture_Click();
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages[0].title, QStringLiteral("Kadrel"));
    EXPECT_TRUE(fake.messageBox.messages[0].text.contains(missing + QStringLiteral("\n"))
                && fake.messageBox.messages[0].text.contains(QStringLiteral("No such file")))
        << fake.messageBox.messages[0].text.toStdString();
}
