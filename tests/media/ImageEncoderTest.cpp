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
#include <cstdio>
#include <cstring>
#include <vector>
#include <sys/resource.h>

#include <jpeglib.h>

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

// A 32-bit bottom-up snapshot of smooth colour ramps with a hard-edged square, width x height.
std::vector<unsigned char> rampSnapshot(int width, int height)
{
    std::vector<unsigned char> dib(40 + std::size_t(width) * height * 4);
    const std::int32_t header[] = {40, width, height};
    std::memcpy(dib.data(), header, sizeof header);
    dib[12] = 1;
    dib[14] = 32;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = dib.data() + 40 + (std::size_t(y) * width + x) * 4;
            const bool square = std::abs(x - width / 2) < width / 5 && std::abs(y - height / 2) < height / 5;
            p[0] = square ? 30 : static_cast<unsigned char>(x * 255 / width);
            p[1] = static_cast<unsigned char>(y * 255 / height);
            p[2] = square ? 220 : static_cast<unsigned char>((x + y) * 127 / (width + height));
            p[3] = 0xFF;
        }
    return dib;
}

// Decodes with libjpeg, counting its corrupt-data warnings (a wrong restart marker is one);
// returns the picture top-down as R, G, B.
std::vector<unsigned char> decodeStrictly(const unsigned char* data, std::size_t size,
                                          int& width, int& height, long& warnings)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = int(info.output_width);
    height = int(info.output_height);
    std::vector<unsigned char> rgb(std::size_t(width) * height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgb.data() + std::size_t(info.output_scanline) * width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    warnings = error.num_warnings;
    jpeg_destroy_decompress(&info);
    return rgb;
}

// The JPEG encoder cuts tall pictures into two bands compressed side by side and joins them:
// the joined file must decode without a single warning, at its whole size, close to the source
// on both sides of the cut, at full-resolution colour (quality 95) and at 4:2:0 (quality 75).
TEST(JpegBands, JoinIntoOneCleanFile)
{
    const struct {
        int width, height, quality;
        double minimumDb;
    } cases[] = {{64, 48, 95, 38.0},    {160, 120, 95, 38.0}, {320, 240, 75, 25.0},
                 {96, 1080, 95, 38.0}, {1920, 1080, 75, 25.0}, {50, 129, 95, 38.0}};
    for (const auto& c : cases) {
        const std::vector<unsigned char> dib = rampSnapshot(c.width, c.height);
        const std::unique_ptr<ImageEncoder> encoder =
            makeFfmpegImageEncoder(ImageFormat::Jpeg, c.quality);
        AlignedBytes file;
        const Result<std::size_t> size = encoder->encode(dib.data(), dib.size(), file);
        ASSERT_TRUE(size.ok()) << qPrintable(size.status().text());
        int width = 0, height = 0;
        long warnings = -1;
        const std::vector<unsigned char> rgb =
            decodeStrictly(file.data(), size.value(), width, height, warnings);
        const std::string which = std::to_string(c.width) + "x" + std::to_string(c.height);
        EXPECT_EQ(warnings, 0) << which;
        ASSERT_EQ(width, c.width) << which;
        ASSERT_EQ(height, c.height) << which;
        // Each sixteenth of the picture's height on its own, so a damaged band cannot hide.
        for (int part = 0; part < 16; ++part) {
            double squares = 0.0;
            long samples = 0;
            for (int y = part * c.height / 16; y < (part + 1) * c.height / 16; ++y)
                for (int x = 0; x < c.width; ++x) {
                    const unsigned char* source =
                        dib.data() + 40 + (std::size_t(c.height - 1 - y) * c.width + x) * 4;
                    const unsigned char* decoded = rgb.data() + (std::size_t(y) * c.width + x) * 3;
                    for (int k = 0; k < 3; ++k) {
                        const double d = int(source[2 - k]) - int(decoded[k]);
                        squares += d * d;
                        ++samples;
                    }
                }
            if (samples == 0)
                continue;
            const double db = squares == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * samples / squares);
            EXPECT_GE(db, c.minimumDb) << which << " part " << part;
        }
    }
}

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
