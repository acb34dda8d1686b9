// Frames into files of each type: a bitmap's bytes; PNG and lossless WebP exact, JPEG and
// lossy WebP close to the bitmap on generated clips; JPEG's two bands joined cleanly; failures
// leave no file and name it.

#include "common/Rounding.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "output/FrameEncoder.h"
#include "output/SaveFrame.h"
#include "support/MediaGenerator.h"
#include "support/SessionFixture.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <csignal>
#include <cstring>
#include <vector>
#include <sys/resource.h>

#include <jpeglib.h>

namespace kadrel {
namespace {

using test::ClipSpec;
using Codec = ClipSpec::Codec;
using Content = ClipSpec::Content;

// Peak signal-to-noise ratio of b against a over R, G and B of rows first..end-1, in dB.
double psnr(const QImage& a, const QImage& b, int first = 0, int end = -1)
{
    double squares = 0.0;
    end = end < 0 ? a.height() : end;
    for (int y = first; y < end; ++y)
        for (int x = 0; x < a.width(); ++x)
            for (const int shift : {0, 8, 16}) {
                const double d = int((a.pixel(x, y) >> shift) & 0xFF)
                                 - int((b.pixel(x, y) >> shift) & 0xFF);
                squares += d * d;
            }
    const double mse = squares / (3.0 * a.width() * (end - first));
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
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
// JPEG within 38 dB, lossy WebP, whose colour has half the resolution, within 25 dB (colour
// bars' sharp edges); lower qualities are further off, and JPEG's files smaller.
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
                const double db = psnr(bitmap, decoded);
                EXPECT_GE(db, quality ? 0.0 : minimumDb);
                EXPECT_LT(db, lastPsnr);
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
        EncodedCase{"odd.avi", {.width = 161, .height = 99, .frames = 10}}),
    [](const auto& info) { return QString(info.param.first).replace('.', '_').toStdString(); });

// Smooth colour ramps with a hard-edged square, into frame as a 32-bit bottom-up DIB.
QImage rampInto(FrameBuffer& frame, int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool square =
                std::abs(x - width / 2) < width / 5 && std::abs(y - height / 2) < height / 5;
            picture.setPixel(x, y, square ? qRgb(220, y * 255 / height, 30)
                                          : qRgb((x + y) * 127 / (width + height),
                                                 y * 255 / height, x * 255 / width));
        }
    frame.reserveDib(40 + std::size_t(width) * height * 4);
    const std::int32_t header[] = {40, width, height, 1 | (32 << 16)};
    std::memset(frame.dib(), 0, 40);
    std::memcpy(frame.dib(), header, sizeof header);
    for (int y = 0; y < height; ++y)
        std::memcpy(frame.dib() + 40 + std::size_t(height - 1 - y) * width * 4,
                    picture.constScanLine(y), std::size_t(width) * 4);
    return picture;
}

// Decodes with libjpeg, counting its corrupt-data warnings (a wrong restart marker is one).
QImage decodeStrictly(FileImage file, long& warnings)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data, static_cast<unsigned long>(file.size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    QImage rgb(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgb.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    warnings = error.num_warnings;
    jpeg_destroy_decompress(&info);
    return rgb;
}

// Tall pictures go out as two bands compressed side by side and joined: the file must decode
// without a warning, whole, and close to the source on both sides of the cut, at 4:4:4 (95)
// and 4:2:0 (75).
TEST(JpegBands, JoinIntoOneCleanFile)
{
    const struct { int width, height, quality; double minimumDb; } cases[] = {
        {64, 48, 95, 38.0}, {160, 120, 95, 38.0}, {320, 240, 75, 25.0},
        {96, 1080, 95, 38.0}, {1920, 1080, 75, 25.0}, {50, 129, 95, 38.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        FrameBuffer frame;
        const QImage source = rampInto(frame, c.width, c.height);
        const auto encoder = makeFrameEncoder(ImageFormat::Jpeg, c.quality);
        const Result<FileImage> file = encoder->encode(frame);
        ASSERT_TRUE(file.ok()) << qPrintable(file.status().text());
        long warnings = -1;
        const QImage decoded = decodeStrictly(file.value(), warnings);
        EXPECT_EQ(warnings, 0);
        ASSERT_EQ(decoded.size(), source.size());
        for (int part = 0; part < 16; ++part) {  // so that a damaged band cannot hide
            const int first = part * c.height / 16, end = (part + 1) * c.height / 16;
            EXPECT_GE(psnr(source, decoded, first, end), c.minimumDb) << "part " << part;
        }
    }
}

}  // namespace
}  // namespace kadrel
