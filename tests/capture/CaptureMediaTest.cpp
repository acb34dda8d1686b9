// The bulk run on the FFmpeg engine with generated clips: the whole video is every frame of the
// picture once, however long the sound runs on, and every file written is read back to the
// frame number its name promises. Files of an earlier run written over are
// FrameFileWriterTest's; ranges of frames, kadrel-extract's.

#include "CaptureFixture.h"

#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace kadrel {
namespace {

using test::ClipSpec;

class CaptureMediaTest : public test::CaptureFixture {
protected:
    CaptureMediaTest() : CaptureFixture(makeFfmpegGraph)
    {
        onYield = [] { QCoreApplication::processEvents(); };
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
        const QString clip = programDir.filePath(QLatin1String(name));
        ASSERT_TRUE(test::generateClip(recipe, clip).ok());
        open(clip);
        EXPECT_NEAR(movie.GetDuration(), duration, 0.03);  // the position slider's range
        const QString folder = outFolder(QLatin1String(name));
        EXPECT_EQ(runInto(folder), frameNames(0, recipe.frames - 1));
        for (int n = 0; n < recipe.frames; ++n) {
            const QString bmp = QDir(folder).filePath(QStringLiteral("frame%1.bmp").arg(n));
            EXPECT_EQ(QFileInfo(bmp).size(), 54 + 4 * 160 * 120) << n;  // 32-bit bitmap
            EXPECT_EQ(test::frameIndexFromBitmap(bmp), n);
        }
    }
    EXPECT_EQ(fake.messageBox.messages.size(), std::size(clips));  // completions, no failure
}

}  // namespace
}  // namespace kadrel
