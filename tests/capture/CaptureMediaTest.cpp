// The bulk run on the FFmpeg engine with generated clips: the whole video is every frame of the
// picture once, however long the sound runs on, and every file written is read back to the
// frame number its name promises, also when a second run writes over the first.

#include "CaptureFixture.h"

#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

namespace kadrel {
namespace {

using test::ClipSpec;

class CaptureMediaTest : public test::CaptureFixture {
protected:
    CaptureMediaTest() : CaptureFixture(makeFfmpegGraph)
    {
        onYield = [] { QCoreApplication::processEvents(); };
    }

    void openClip(const char* name, const ClipSpec& recipe)
    {
        const QString clip = programDir.filePath(QLatin1String(name));
        ASSERT_TRUE(test::generateClip(recipe, clip).ok());
        open(clip);
    }

    void readBack(const QString& folder, int first, int last)
    {
        for (int n = first; n <= last; ++n) {
            const QString bmp = QDir(folder).filePath(QStringLiteral("frame%1.bmp").arg(n));
            EXPECT_EQ(QFileInfo(bmp).size(), 54 + 4 * 160 * 120) << n;  // 32-bit bitmap
            EXPECT_EQ(test::frameIndexFromBitmap(bmp), n);
        }
    }
};

TEST_F(CaptureMediaTest, TheWholeVideoIsEveryFrameOfThePictureOnce)
{
    // Matroska states no stream lengths: the picture's end comes from its last packets. AVI
    // states none for PCM sound, and its length is the picture's.
    const struct { const char* name; ClipSpec recipe; double duration; } clips[] = {
        {"h264.mp4", {.codec = ClipSpec::Codec::H264}, 1.0},
        {"sound-runs-on.avi", {.frames = 100, .withAudio = true, .soundSeconds = 7.0}, 4.0},
        {"sound-runs-on.mkv", {.codec = ClipSpec::Codec::H264, .frames = 100, .withAudio = true,
                               .soundSeconds = 7.0}, 7.0},
        {"sound-stops.mkv", {.frames = 30, .withAudio = true, .soundSeconds = 0.5}, 1.2},
    };
    for (const auto& [name, recipe, duration] : clips) {
        SCOPED_TRACE(name);
        openClip(name, recipe);
        EXPECT_NEAR(movie.GetDuration(), duration, 0.03);  // the position slider's range
        const QString folder = outFolder(QLatin1String(name));
        EXPECT_EQ(runInto(folder), frameNames(0, recipe.frames - 1));
        readBack(folder, 0, recipe.frames - 1);
    }
    EXPECT_EQ(fake.messageBox.messages.size(), std::size(clips));  // completions, no failure
}

// On the disk and in memory (/dev/shm).
TEST_F(CaptureMediaTest, ASecondRunWritesOverTheFirst)
{
    openClip("clip.mp4", {.codec = ClipSpec::Codec::H264});
    QTemporaryDir inMemory(QStringLiteral("/dev/shm/capture-XXXXXX"));
    for (const QString& folder : {outDir.path(), inMemory.path()}) {
        SCOPED_TRACE(folder.toStdString());
        settings.Option1->setChecked(true);
        ASSERT_EQ(runInto(folder), frameNames(0, 24));

        // Frame 3's file now holds frame 7's picture and some bytes more; a range run mends it.
        QFile three(QDir(folder).filePath(QStringLiteral("frame3.bmp")));
        QFile seven(QDir(folder).filePath(QStringLiteral("frame7.bmp")));
        ASSERT_TRUE(seven.open(QIODevice::ReadOnly) && three.open(QIODevice::WriteOnly));
        three.write(seven.readAll() + QByteArray(100, 'x'));
        three.close();
        ASSERT_EQ(test::frameIndexFromBitmap(three.fileName()), 7);
        useRange(2, 9);
        runInto(folder);
        readBack(folder, 0, 24);
    }
    EXPECT_EQ(fake.messageBox.messages.size(), 4u);  // completions, no failure
}

}  // namespace
}  // namespace kadrel
