// The main window on the FFmpeg engine with generated media: what the user sees after
// opening real files, and frames saved exactly as shown.

#include "app/frmmain.h"
#include "capture/CaptureSettings.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "support/FakePlatform.h"
#include "support/MediaGenerator.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace kadrel;
using namespace kadrel::test;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

class MediaWindowTest : public ::testing::Test {
protected:
    // Three seconds of video at 25 frames per second, one second of sound, and two files
    // that only look like media.
    static void SetUpTestSuite()
    {
        media = new QTemporaryDir;
        ClipSpec video;
        video.frames = 75;
        ASSERT_TRUE(generateClip(video, path("clip.avi")).ok());
        ClipSpec sound;
        sound.codec = ClipSpec::Codec::None;
        sound.withAudio = true;
        ASSERT_TRUE(generateClip(sound, path("song.wav")).ok());

        QFile text(path("notes.avi"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("Shopping list: milk, bread.\n");
        QFile clip(path("clip.avi"));
        QFile truncated(path("truncated.avi"));
        ASSERT_TRUE(clip.open(QIODevice::ReadOnly) && truncated.open(QIODevice::WriteOnly));
        truncated.write(clip.read(200));
    }

    static void TearDownTestSuite()
    {
        delete media;
        media = nullptr;
    }

    static QString path(const char* name) { return media->filePath(QLatin1String(name)); }

    MediaWindowTest()
    {
        movie = std::make_unique<ActiveMovieControl>(state, fake.screen, makeFfmpegGraph);
        window = std::make_unique<frmmain>(fake.platform(), state, *movie);
        window->setProgramEnd([] {});
        window->Timer1->setInterval(24 * 3600 * 1000);  // ticks come from the tests only
        window->Form_Load();
        window->show();
    }

    ~MediaWindowTest() override
    {
        window.reset();
        movie.reset();
    }

    void open(const QString& file)
    {
        fake.fileDialog.replies.push_back(file);
        window->mnuopen_Click();
    }

    // Saves the frame on show and reads back the index it carries.
    int capture(const QString& name)
    {
        const QString bmp = output.filePath(name);
        fake.fileDialog.replies.push_back(bmp);
        window->cmdcapture_Click();
        EXPECT_EQ(QFileInfo(bmp).size(), 54 + 4 * kWidth * kHeight) << name.toStdString();
        return frameIndexFromBitmap(bmp);
    }

    static QTemporaryDir* media;
    QTemporaryDir output;
    FakePlatform fake;
    ProgramState state;
    std::unique_ptr<ActiveMovieControl> movie;
    std::unique_ptr<frmmain> window;
};

QTemporaryDir* MediaWindowTest::media = nullptr;

TEST_F(MediaWindowTest, OpenedClipPlaysInThePictureBoxUnderItsName)
{
    open(path("clip.avi"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kadrel - Video Image Extractor(clip.avi)"));
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Playing"));
    EXPECT_EQ(window->Slider1->maximum(), 3);
    EXPECT_EQ(window->capture->frameCount(), 75);
    EXPECT_TRUE(window->cmdcapture->isEnabled());
    EXPECT_TRUE(window->mnufullscreen->isEnabled());

    QPointer<QWidget> picture;
    for (QWidget* child : window->Video->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != window->Image1 && child->isVisible())
            picture = child;
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->geometry(), QRect(0, 0, 329, 241));

    window->mnuclose_Click();
    EXPECT_FALSE(picture && picture->isVisible());
    EXPECT_TRUE(window->Image1->isVisible());
}

TEST_F(MediaWindowTest, CapturedFrameIsTheFrameOnShowAfterEveryMove)
{
    open(path("clip.avi"));
    window->cmdplay1_Click();
    window->cmdstep_Click();
    EXPECT_EQ(capture(QStringLiteral("one.bmp")), 25);
    window->cmdnext_Click();
    EXPECT_EQ(capture(QStringLiteral("last.bmp")), 74);
    window->cmdseek_Click();
    EXPECT_EQ(capture(QStringLiteral("two.bmp")), 50);
    window->cmdback_Click();
    EXPECT_EQ(capture(QStringLiteral("first.bmp")), 0);
    EXPECT_TRUE(fake.messageBox.messages.empty());
}

TEST_F(MediaWindowTest, CaptureWhilePlayingPausesOnTheFrameItSaves)
{
    open(path("clip.avi"));
    const int saved = capture(QStringLiteral("playing.bmp"));
    EXPECT_GE(saved, 0);
    EXPECT_TRUE(state.paused);
    // Paused, the frame on show does not move: a second capture holds the same frame.
    EXPECT_EQ(capture(QStringLiteral("again.bmp")), saved);
}

TEST_F(MediaWindowTest, SoundFileAfterAVideoOffersNoPictureCommands)
{
    open(path("clip.avi"));
    open(path("song.wav"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kadrel - Video Image Extractor(song.wav)"));
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Playing"));
    EXPECT_EQ(window->Slider1->maximum(), 1);
    EXPECT_FALSE(window->cmdcapture->isEnabled());
    EXPECT_FALSE(window->cmdfullscreen->isEnabled());
    EXPECT_FALSE(window->mnucapture->isEnabled());
    EXPECT_FALSE(window->mnufullscreen->isEnabled());
    EXPECT_FALSE(enabledFlag(window->cmdbulkcapture));
    EXPECT_TRUE(window->cmdinfo->isEnabled());
    EXPECT_TRUE(window->mnuinfo->isEnabled());
}

TEST_F(MediaWindowTest, FilesTheEngineCannotPlayAreNamedInAMessage)
{
    open(path("clip.avi"));
    for (const char* name : {"notes.avi", "truncated.avi"}) {
        fake.messageBox.messages.clear();
        open(path(name));
        ASSERT_EQ(fake.messageBox.messages.size(), 1u) << name;
        const RecordedMessage& message = fake.messageBox.messages[0];
        EXPECT_EQ(message.title, QStringLiteral("Kadrel"));
        EXPECT_TRUE(message.text.contains(path(name))) << message.text.toStdString();
        EXPECT_TRUE(message.text.contains(QStringLiteral("Error "))) << message.text.toStdString();
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Kadrel - Video Image Extractor"));
        EXPECT_EQ(window->lblstate->text(), QStringLiteral("Closed"));
        EXPECT_TRUE(state.loadedFile.isEmpty());
        EXPECT_FALSE(window->cmdplay->isEnabled());
    }
}

}  // namespace
