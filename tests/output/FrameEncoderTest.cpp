// Frames into files of each type: a bitmap's bytes; PNG and lossless WebP exact, JPEG and
// lossy WebP close to the bitmap on generated clips; failures leave no file and name it.

#include "common/Rounding.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "output/SaveFrame.h"
#include "support/MediaGenerator.h"
#include "support/SessionFixture.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <optional>
#include <sys/resource.h>

namespace kadrel {
namespace {

using test::ClipSpec;
using Codec = ClipSpec::Codec;
using Content = ClipSpec::Content;

// Peak signal-to-noise ratio of b against a over R, G and B, or over BT.601 luma, in dB.
double psnr(const QImage& a, const QImage& b, bool luma = false)
{
    double squares = 0.0;
    const auto y601 = [](QRgb c) { return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c); };
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (const int shift : {0, 8, 16}) {
                const double d = luma ? y601(a.pixel(x, y)) - y601(b.pixel(x, y))
                                      : int((a.pixel(x, y) >> shift) & 0xFF)
                                            - int((b.pixel(x, y) >> shift) & 0xFF);
                squares += d * d;
            }
    const double mse = squares / (3.0 * a.width() * a.height());
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// The sampling of a JPEG file's first component: 0x22 for 4:2:0, 0x11 for 4:4:4.
int lumaSampling(const QString& path)
{
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    return frame < 0 || frame + 11 >= bytes.size() ? -1 : uchar(bytes[frame + 11]);
}

class SaveFrameTest : public test::SessionFixture {
protected:
    explicit SaveFrameTest(GraphFactory engine = {}) : SessionFixture(std::move(engine), [] {}) {}
    void open(const QString& clip)
    {
        const Status opened = movie.OpenMedia(clip);
        ASSERT_TRUE(opened.ok()) << qPrintable(opened.text());
        movie.PauseMedia();
    }
    QTemporaryDir dir;
};

// While it lives, a longer file fails (EFBIG), as on a full disk.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : oldHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved), std::signal(SIGXFSZ, oldHandler); }
    rlimit saved{};
    void (*oldHandler)(int);
};

// The header at 72 dpi, then the pixels, cut to the file's length (zeros past a 24-bit
// picture). Without media nothing is written; a failing renderer, a size past 2 GiB, a file
// that cannot be made or written whole leave no file, and file errors name the file.
TEST_F(SaveFrameTest, BitmapBytesAndFailures)
{
    QFile file(dir.filePath("frame.bmp"));
    EXPECT_TRUE(saveFrame(movie, file.fileName()).ok());
    EXPECT_FALSE(file.exists());
    open(QStringLiteral("/v/clip.avi"));
    test::FakeGraphScript& script = *graphs.script;
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(20000, 'z')) == 20000);
    file.close();
    for (quint32 bits : {32, 24}) {
        script.bitsPerPixel = int(bits);
        ASSERT_TRUE(saveFrame(movie, file.fileName()).ok());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();
        ASSERT_EQ(bytes.size(), 54 + 4 * 32 * 24);
        EXPECT_EQ(bytes.left(2), "BM");
        const quint32 header[] = {54 + 4 * 32 * 24, 0, 54, 40, 32, 24, 1 | bits << 16, 0, 0,
                                  2834, 2834};
        for (int i = 0; i < 11; ++i)
            EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 2 + 4 * i), header[i])
                << bits << " bits, offset " << 2 + 4 * i;
        const int picture = 32 * 24 * int(bits) / 8;
        for (int i = 0; i < 4 * 32 * 24; ++i)
            ASSERT_EQ(uchar(bytes[54 + i]), i < picture ? uchar(i) : 0) << bits << " bits, " << i;
    }

    script.bitsPerPixel = 32;
    const QString x = dir.filePath("x.bmp");
    const struct {
        ImageFormat format;
        const char* failing;
        int size, number;
        QString path;
        rlim_t sizeLimit = RLIM_INFINITY;
    } cases[] = {
        {ImageFormat::Bmp, "GetCurrentImage", 8, 5, x},
        {ImageFormat::Bmp, "", 65536, kOverflowError, x},
        {ImageFormat::Bmp, "", 8, ENOENT, dir.filePath("no/x.bmp")},
        {ImageFormat::Png, "", 8, EFBIG, dir.filePath("big.png"), 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.path));
        script.failing = {c.failing};
        script.videoWidth = script.videoHeight = c.size;
        const FileSizeLimit limit(c.sizeLimit);
        const Status saved = saveFrame(movie, c.path, c.format);
        EXPECT_EQ(saved.number(), c.number) << qPrintable(saved.text());
        const bool fileError = c.number == ENOENT || c.number == EFBIG;
        EXPECT_EQ(saved.description().contains(c.path), fileError) << qPrintable(saved.text());
        EXPECT_FALSE(QFile::exists(c.path));
    }
}

using EncodedCase = std::pair<const char*, ClipSpec>;  // the file, its recipe

class EncodedFrames : public SaveFrameTest, public ::testing::WithParamInterface<EncodedCase> {
protected:
    EncodedFrames() : SaveFrameTest(makeFfmpegGraph) {}
};

// PNG and WebP at 100: the bitmap's pixels exactly (PNG as 8-bit RGB). At the default quality
// JPEG's luma within 38 dB and its colour within 24, lossy WebP within 25 dB (colour bars'
// sharp edges); lower qualities are no closer, and JPEG's files smaller. The clips are 4:2:0,
// and so are their JPEG files, made from the planes; the BT.709 clip would miss the luma mark
// with the wrong matrix.
TEST_P(EncodedFrames, MatchTheBitmapOfTheSameFrame)
{
    const auto& [file, recipe] = GetParam();
    const QString clip = dir.filePath(QString::fromLatin1(file));
    ASSERT_TRUE(test::generateClip(recipe, clip).ok());
    open(clip);
    for (const int frame : {0, 7, recipe.frames - 1}) {
        SCOPED_TRACE(frame);
        movie.PlayMedia();
        ASSERT_TRUE(movie.SetPosition(frame * 0.04).ok());
        movie.PauseMedia();
        const QString base = dir.filePath(QStringLiteral("f%1").arg(frame));
        ASSERT_TRUE(saveFrame(movie, base + ".bmp").ok());
        const QImage bitmap(base + ".bmp");
        ASSERT_EQ(test::frameIndexFromBitmap(base + ".bmp"),
                  recipe.content == Content::FrameIndex ? frame : -1);

        ASSERT_TRUE(saveFrame(movie, base + ".png", ImageFormat::Png).ok());
        const QImage png(base + ".png", "PNG");
        EXPECT_EQ(png.format(), QImage::Format_RGB32);  // 8-bit RGB, no alpha
        EXPECT_EQ(png, bitmap.convertToFormat(QImage::Format_RGB32));

        ASSERT_TRUE(saveFrame(movie, base + ".webp", ImageFormat::Webp, 100).ok());
        EXPECT_EQ(test::loadImage(base + ".webp"), bitmap.convertToFormat(QImage::Format_RGB32));

        for (const auto& [type, minimumDb] :
             {std::pair{ImageFormat::Jpeg, 38.0}, {ImageFormat::Webp, 25.0}}) {
            double lastPsnr = 99.0;
            qint64 lastSize = 1 << 30;
            for (const std::optional<int> quality : {std::optional<int>{}, {75}, {30}}) {
                SCOPED_TRACE(quality.value_or(0));
                const QString path = base + QString::number(quality.value_or(0))
                                     + imageFormatInfo(type).extension;
                ASSERT_TRUE(saveFrame(movie, path, type, quality).ok());
                const QImage decoded = test::loadImage(path);
                ASSERT_EQ(decoded.size(), bitmap.size());
                const double db = psnr(bitmap, decoded, type == ImageFormat::Jpeg);
                EXPECT_TRUE(type == ImageFormat::Webp || lumaSampling(path) == 0x22);
                EXPECT_GE(db, quality ? 0.0 : minimumDb);
                EXPECT_GE(psnr(bitmap, decoded), quality ? 0.0 : 24.0);
                EXPECT_LE(db, lastPsnr);
                EXPECT_TRUE(type == ImageFormat::Webp || QFileInfo(path).size() < lastSize);
                lastPsnr = db;
                lastSize = QFileInfo(path).size();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clips, EncodedFrames,
    ::testing::Values(
        EncodedCase{"index.mp4", {.codec = Codec::H264, .frames = 20}},
        EncodedCase{"bars.mkv", {.codec = Codec::Mjpeg, .content = Content::ColourBars,
                                 .frames = 10}},
        EncodedCase{"odd.avi", {.width = 161, .height = 99, .frames = 10}},
        EncodedCase{"hd.avi", {.content = Content::ColourBars, .width = 1280, .height = 48,
                               .frames = 8}}),
    [](const auto& info) { return QString(info.param.first).replace('.', '_').toStdString(); });

}  // namespace
}  // namespace kadrel
