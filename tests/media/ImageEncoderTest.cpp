// PNG and JPEG files of the frame on show, against the bitmap of the same frame: PNG holds
// the same pixels, JPEG comes close (38 dB or more at the default quality); failures leave
// no file behind.

#include "media/ActiveMovieControl.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "media/ffmpeg/ImageEncoders.h"
#include "support/FakePlatform.h"
#include "support/MediaGenerator.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <sys/resource.h>

namespace kadrel {
namespace {

using test::ClipSpec;
using Codec = ClipSpec::Codec;
using Content = ClipSpec::Content;

// Peak signal-to-noise ratio of b against a over the R, G and B of every pixel, in dB.
double psnr(const QImage& a, const QImage& b)
{
    double squares = 0.0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            for (const int shift : {0, 8, 16}) {
                const double d = int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF);
                squares += d * d;
            }
        }
    const double mse = squares / (3.0 * a.width() * a.height());
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

struct Session {
    explicit Session(const QString& clip) : movie(state, platform.screen, makeFfmpegGraph)
    {
        movie.setImageEncoders(makeFfmpegImageEncoder);
        const Status opened = movie.OpenMedia(clip);
        EXPECT_TRUE(opened.ok()) << qPrintable(opened.text());
        movie.PauseMedia();
    }
    test::FakePlatform platform;
    ProgramState state;
    ActiveMovieControl movie;
};

struct EncodedCase {
    const char* file;
    ClipSpec recipe;
};

class EncodedFrames : public ::testing::TestWithParam<EncodedCase> {
protected:
    QTemporaryDir dir;
};

// For a few frames of each clip: the PNG decodes to exactly the bitmap's pixels and is 8-bit
// RGB; the JPEG at quality 95 is within 38 dB, and lower qualities give smaller files that
// are further off.
TEST_P(EncodedFrames, MatchTheBitmapOfTheSameFrame)
{
    const EncodedCase& c = GetParam();
    const QString clip = dir.filePath(QString::fromLatin1(c.file));
    ASSERT_TRUE(test::generateClip(c.recipe, clip).ok());
    Session session(clip);
    for (const int frame : {0, 7, c.recipe.frames - 1}) {
        session.movie.PlayMedia();
        ASSERT_TRUE(session.movie.SetPosition(frame * 0.04).ok());
        session.movie.PauseMedia();
        const QString base = dir.filePath(QStringLiteral("f%1").arg(frame));
        ASSERT_TRUE(session.movie.SaveFrameBitmap(base + QStringLiteral(".bmp")).ok());
        const QImage bitmap(base + QStringLiteral(".bmp"));
        ASSERT_EQ(test::frameIndexFromBitmap(base + QStringLiteral(".bmp")),
                  c.recipe.content == Content::FrameIndex ? frame : -1);

        ASSERT_TRUE(session.movie.SaveFrameImage(base + QStringLiteral(".png"), ImageFormat::Png)
                        .ok());
        QFile pngFile(base + QStringLiteral(".png"));
        ASSERT_TRUE(pngFile.open(QIODevice::ReadOnly));
        const QByteArray png = pngFile.readAll();
        ASSERT_GT(png.size(), 26);
        EXPECT_EQ(png.at(24), 8) << "bit depth";
        EXPECT_EQ(png.at(25), 2) << "colour type RGB";
        const QImage decoded = QImage::fromData(png, "PNG");
        ASSERT_EQ(decoded.size(), bitmap.size());
        EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32),
                  bitmap.convertToFormat(QImage::Format_RGB32))
            << "frame " << frame;

        double lastPsnr = 99.0;
        qint64 lastSize = 1 << 30;
        for (const int quality : {95, 75, 30}) {
            const QString jpg = base + QStringLiteral("q%1.jpg").arg(quality);
            ASSERT_TRUE(session.movie.SaveFrameImage(jpg, ImageFormat::Jpeg, quality).ok());
            const QImage jpeg(jpg, "JPEG");
            ASSERT_EQ(jpeg.size(), bitmap.size());
            const double db = psnr(bitmap, jpeg);
            if (quality == 95) {
                EXPECT_GE(db, 38.0) << "frame " << frame;
            }
            EXPECT_LT(db, lastPsnr) << "quality " << quality;
            EXPECT_LT(QFileInfo(jpg).size(), lastSize) << "quality " << quality;
            lastPsnr = db;
            lastSize = QFileInfo(jpg).size();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clips, EncodedFrames,
    ::testing::Values(
        EncodedCase{"index.mp4", {.codec = Codec::H264, .frames = 20}},
        EncodedCase{"bars.mkv",
                    {.codec = Codec::Mjpeg, .content = Content::ColourBars, .frames = 10}},
        EncodedCase{"odd.avi", {.width = 161, .height = 99, .frames = 10}},
        EncodedCase{"rotated.mp4", {.codec = Codec::H264, .frames = 10, .rotation = 90}}),
    [](const auto& info) {
        return QString::fromLatin1(info.param.file).section(u'.', 0, 0).toStdString();
    });

// Keeps files below a size for as long as it lives: a longer write fails (EFBIG), as on a
// full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

// A file that cannot be created, one that cannot be written whole, and a type without an
// encoder: each fails with a description and leaves nothing at the path.
TEST(EncodedFrameFailures, LeaveNoFile)
{
    QTemporaryDir dir;
    const QString clip = dir.filePath(QStringLiteral("clip.avi"));
    ASSERT_TRUE(test::generateClip({.frames = 5}, clip).ok());
    Session session(clip);
    const struct {
        QString path;
        ImageFormat format;
        bool withEncoders;
        rlim_t sizeLimit;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing/f.png")), ImageFormat::Png, true, RLIM_INFINITY},
        {dir.filePath(QStringLiteral("big.jpg")), ImageFormat::Jpeg, true, 100},
        {dir.filePath(QStringLiteral("big.png")), ImageFormat::Png, true, 100},
        {dir.filePath(QStringLiteral("f.png")), ImageFormat::Png, false, RLIM_INFINITY},
    };
    for (const auto& c : cases) {
        session.movie.setImageEncoders(c.withEncoders ? ImageEncoderFactory(makeFfmpegImageEncoder)
                                                      : ImageEncoderFactory());
        const FileSizeLimit limit(c.sizeLimit);
        const Status saved = session.movie.SaveFrameImage(c.path, c.format);
        EXPECT_FALSE(saved.ok()) << qPrintable(c.path);
        EXPECT_FALSE(saved.description().isEmpty());
        EXPECT_FALSE(QFile::exists(c.path)) << qPrintable(c.path);
    }
}

}  // namespace
}  // namespace kadrel
