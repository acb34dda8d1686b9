// The main window on the FFmpeg engine with generated media: the commands available with no
// media, a video, sound only and files that cannot be played, and frames saved exactly as shown.

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
        ClipSpec video;
        video.frames = 75;
        EXPECT_TRUE(generateClip(video, folder.filePath(QStringLiteral("clip.avi"))).ok());
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

TEST_F(MediaWindowTest, CommandsFollowTheMediaOrTheFileIsNamedWithTheReason)
{
    ClipSpec sound;  // one second
    sound.codec = ClipSpec::Codec::None;
    sound.withAudio = true;
    ASSERT_TRUE(generateClip(sound, folder.filePath(QStringLiteral("song.wav"))).ok());
    QFile clip(folder.filePath(QStringLiteral("clip.avi")));
    ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
    for (const auto& [name, bytes] : {std::pair{"notes.avi", QByteArray("Shopping: milk.\n")},
                                      std::pair{"truncated.avi", clip.read(200)}}) {
        QFile file(folder.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    const struct { const char *file, *caption, *state, *available; } rows[] = {
        {nullptr, "", "", "0101 0000 00000 0000"},  // start-up
        {"clip.avi", "(clip.avi)", "Playing", "1111 1111 11011 1111"},
        {"", "", "Closed", "0000 0000 00000 0000"},  // Close
        {"song.wav", "(song.wav)", "Playing", "1111 1100 00000 1100"},
        {"clip.avi", "(clip.avi)", "Playing", "1111 1111 11011 1111"},
        // Sound only after a video: nothing the video left on stays on.
        {"song.wav", "(song.wav)", "Playing", "1111 1100 00000 1100"},
        // Files the engine cannot play leave no media.
        {"notes.avi", "", "Closed", "0000 0000 00000 0000"},
        {"clip.avi", "(clip.avi)", "Playing", "1111 1111 11011 1111"},
        {"truncated.avi", "", "Closed", "0000 0000 00000 0000"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        fake.messageBox.messages.clear();
        if (row.file && *row.file)
            open(QLatin1String(row.file));
        else if (row.file)
            window->mnuclose_Click();
        EXPECT_EQ(window->windowTitle(), kMainCaption + QLatin1String(row.caption));
        EXPECT_EQ(window->lblstate->text(), QLatin1String(row.state));
        EXPECT_EQ(available(), QLatin1String(row.available));
        // A file that could not be opened: a message with its name and the engine's reason.
        const bool failed = row.file && *row.file && !*row.caption;
        ASSERT_EQ(fake.messageBox.messages.size(), failed ? 1u : 0u);
        for (const RecordedMessage& message : fake.messageBox.messages)
            EXPECT_TRUE(message.title == QStringLiteral("Kadrel")
                        && message.text.contains(folder.filePath(QLatin1String(row.file)))
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

TEST_F(MediaWindowTest, CapturedFrameIsTheFrameOnShow)
{
    open(QStringLiteral("clip.avi"));
    window->cmdplay1_Click();
    const std::pair<void (frmmain::*)(), int> moves[] = {{&frmmain::cmdstep_Click, 25},
                                                         {&frmmain::cmdnext_Click, 74},
                                                         {&frmmain::cmdseek_Click, 50},
                                                         {&frmmain::cmdback_Click, 0}};
    for (const auto& [move, frame] : moves) {
        (window.get()->*move)();
        EXPECT_EQ(capture(), frame);
    }
    EXPECT_TRUE(fake.messageBox.messages.empty());
}
