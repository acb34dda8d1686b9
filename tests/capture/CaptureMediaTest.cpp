// The bulk run on the FFmpeg engine with a generated clip: every file written is read back to
// the frame number its name promises, also when a second run writes over the first.

#include "CaptureFixture.h"

#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace kadrel {
namespace {

class CaptureMediaTest : public test::CaptureFixture {
protected:
    CaptureMediaTest() : CaptureFixture(makeFfmpegGraph)
    {
        onYield = [] { QCoreApplication::processEvents(); };
    }
};

TEST_F(CaptureMediaTest, EveryFileHoldsItsFrameAlsoAfterASecondRun)
{
    // One second of 160 x 120 H.264 with B-frames at 25 fps.
    test::ClipSpec recipe;
    recipe.codec = test::ClipSpec::Codec::H264;
    const QString clip = programDir.filePath(QStringLiteral("clip.mp4"));
    ASSERT_TRUE(test::generateClip(recipe, clip).ok());
    open(clip);
    const auto readBack = [this](int first, int last) {
        for (int n = first; n <= last; ++n) {
            const QString bmp = outDir.filePath(QStringLiteral("frame%1.bmp").arg(n));
            EXPECT_EQ(QFileInfo(bmp).size(), 54 + 4 * 160 * 120) << n;  // 32-bit bitmap
            EXPECT_EQ(test::frameIndexFromBitmap(bmp), n);
        }
    };
    ASSERT_EQ(runInto(outDir.path()), frameNames(0, 24));
    readBack(0, 24);

    // Frame 3's file now holds frame 7's picture and some bytes more; a range run mends it.
    QFile three(outDir.filePath(QStringLiteral("frame3.bmp")));
    QFile seven(outDir.filePath(QStringLiteral("frame7.bmp")));
    ASSERT_TRUE(seven.open(QIODevice::ReadOnly) && three.open(QIODevice::WriteOnly));
    three.write(seven.readAll() + QByteArray(100, 'x'));
    three.close();
    ASSERT_EQ(test::frameIndexFromBitmap(three.fileName()), 7);
    useRange(2, 9);
    runInto(outDir.path());
    readBack(2, 9);
    EXPECT_EQ(fake.messageBox.messages.size(), 2u);  // two completions, no failure
}

}  // namespace
}  // namespace kadrel
