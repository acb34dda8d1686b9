// The bulk run on the FFmpeg engine with generated clips: every file written is read back to
// the frame number its name promises.

#include "CaptureFixture.h"

#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace kadrel {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr qint64 kBitmapBytes = 4LL * kWidth * kHeight + 54;

class CaptureMediaTest : public test::CaptureFixture {
protected:
    CaptureMediaTest() : CaptureFixture(makeFfmpegGraph)
    {
        onYield = [] { QCoreApplication::processEvents(); };
    }

    // One second of H.264 with B-frames at 25 fps, made once for the suite.
    static void SetUpTestSuite()
    {
        s_clips = new QTemporaryDir;
        test::ClipSpec spec;
        spec.codec = test::ClipSpec::Codec::H264;
        spec.width = kWidth;
        spec.height = kHeight;
        spec.frames = 25;
        s_status = test::generateClip(spec, clipPath());
    }
    static void TearDownTestSuite()
    {
        delete s_clips;
        s_clips = nullptr;
    }
    static QString clipPath() { return s_clips->filePath(QStringLiteral("clip.mp4")); }

    void SetUp() override
    {
        ASSERT_TRUE(s_status.ok()) << s_status.text().toStdString();
        open(clipPath());
    }

    // Each file holds the frame its name gives, at the full size of a 32-bit bitmap.
    void expectFramesReadBack(const QString& folder, const QStringList& names)
    {
        for (const QString& name : names) {
            const QString path = QDir(folder).filePath(name);
            EXPECT_EQ(QFileInfo(path).size(), kBitmapBytes) << name.toStdString();
            EXPECT_EQ(test::frameIndexFromBitmap(path), name.mid(5).chopped(4).toInt())
                << name.toStdString();
        }
    }

    static QTemporaryDir* s_clips;
    static Status s_status;
};

QTemporaryDir* CaptureMediaTest::s_clips = nullptr;
Status CaptureMediaTest::s_status;

TEST_F(CaptureMediaTest, WholeVideoWritesEveryFrameExactly)
{
    ASSERT_EQ(settings->frameCount(), 25);
    const QStringList names = runInto(outDir.path());
    EXPECT_EQ(names, frameNames(0, 24));
    expectFramesReadBack(outDir.path(), names);
    EXPECT_EQ(fake.messageBox.messages.size(), 1u);
}

TEST_F(CaptureMediaTest, RangeWritesItsFramesExactly)
{
    useRange(5, 15);
    const QStringList names = runInto(outFolder(QStringLiteral("range")));
    EXPECT_EQ(names, frameNames(5, 15));
    expectFramesReadBack(outFolder(QStringLiteral("range")), names);
}

TEST_F(CaptureMediaTest, SecondRunWritesOverTheFirst)
{
    useRange(0, 9);
    ASSERT_EQ(runInto(outDir.path()), frameNames(0, 9));
    // Frame 3's file now holds frame 7's picture and some bytes more.
    QFile three(outDir.filePath(QStringLiteral("frame3.bmp")));
    QFile seven(outDir.filePath(QStringLiteral("frame7.bmp")));
    ASSERT_TRUE(seven.open(QIODevice::ReadOnly));
    ASSERT_TRUE(three.open(QIODevice::WriteOnly | QIODevice::Truncate));
    three.write(seven.readAll() + QByteArray(100, 'x'));
    three.close();
    ASSERT_EQ(test::frameIndexFromBitmap(three.fileName()), 7);

    ASSERT_EQ(runInto(outDir.path()), frameNames(0, 9));
    expectFramesReadBack(outDir.path(), frameNames(0, 9));
}

}  // namespace
}  // namespace kadrel
