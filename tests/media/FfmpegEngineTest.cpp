// The FFmpeg engine on generated clips: frame-exact moves, the bitmap's bytes and colours,
// playback, and media it must refuse or survive.

#include "common/Rounding.h"
#include "media/ffmpeg/AudioOutput.h"
#include "media/MediaErrors.h"
#include "media/ffmpeg/FfmpegLog.h"
#include "media/ffmpeg/FilgraphManager.h"
#include "support/EngineClips.h"

#include <QImage>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

#include <random>

namespace kadrel {
namespace {

using namespace test;
using ffmpeg::FilgraphManager;
using Codec = ClipSpec::Codec;
constexpr double T = kFrameTime;

class FrameExact : public ::testing::TestWithParam<std::pair<const char*, ClipSpec>> {};

// The bulk run's step (Run, move, Pause, time by repeated addition), random halted moves some
// right after an unseen move to 0, around each keyframe, a stride and a move off it, the last
// frame and past it, moves while running.
TEST_P(FrameExact, InSequenceAfterJumpsAndAtTheEnd)
{
    const auto& [file, recipe] = GetParam();
    const int frames = recipe.frames;
    auto graph = render(clip(file, recipe));
    ASSERT_DOUBLE_EQ(graph->get_AvgTimePerFrame().valueOr(0), T);
    EXPECT_NEAR(graph->get_Duration().valueOr(0), frames * T, T / 2);  // from the first frame
    EXPECT_EQ(graph->get_VideoWidth().valueOr(0), 160);  // as displayed
    EXPECT_EQ(graph->get_VideoHeight().valueOr(0), 120);
    EXPECT_EQ(graph->get_CurrentPosition().valueOr(-1), 0.0);
    EXPECT_EQ(frameOnShow(*graph).valueOr(-1), 0);
    double captureTime = 0.0;
    for (int k = 0; k < frames; ++k, captureTime += T) {
        ASSERT_TRUE(graph->Run() && graph->put_CurrentPosition(captureTime) && graph->Pause());
        EXPECT_EQ(frameOnShow(*graph).valueOr(-1), k) << "in sequence at " << captureTime;
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, frames - 1);
    for (int i = 0; i < 30; ++i) {
        const int k = pick(random);
        ASSERT_TRUE(graph->put_CurrentPosition(i % 2 ? 0.0 : k * T));
        ASSERT_TRUE(graph->put_CurrentPosition(k * T));
        EXPECT_EQ(frameOnShow(*graph).valueOr(-1), k) << "jump " << i;
    }
    // The last pictures of each group, come out before its keyframe is decoded, then onward.
    for (int key = recipe.gop; key + 1 < frames; key += recipe.gop)
        for (int k : {key - 2, key - 1, key, key + 1}) {
            ASSERT_TRUE(graph->put_CurrentPosition(k == key - 2 ? 0.0 : k * T));
            ASSERT_TRUE(graph->put_CurrentPosition(k * T));
            EXPECT_EQ(frameOnShow(*graph).valueOr(-1), k) << "around the keyframe " << key;
        }
    // Every third picture from 1 with the stride told, then one it left out: each exact.
    ASSERT_TRUE(graph->put_CurrentPosition(0.0) && graph->put_TargetStride(T, 3 * T));
    for (int k = 1; k < frames; k += 3) {
        ASSERT_TRUE(graph->put_CurrentPosition(k * T));
        EXPECT_EQ(frameOnShow(*graph).valueOr(-1), k) << "stride at " << k;
    }
    ASSERT_TRUE(graph->put_CurrentPosition(frames / 2 * T));
    EXPECT_EQ(frameOnShow(*graph).valueOr(-1), frames / 2) << "off the stride";
    for (double end : {(frames - 1) * T, graph->get_Duration().valueOr(0) + 5.0}) {
        ASSERT_TRUE(graph->put_CurrentPosition(end));
        EXPECT_EQ(frameOnShow(*graph).valueOr(-1), frames - 1) << "at " << end;
    }
    ASSERT_TRUE(graph->Run());
    for (int k : {frames - 5, 5}) {
        ASSERT_TRUE(graph->put_CurrentPosition(k * T));
        EXPECT_EQ(frameOnShow(*graph).valueOr(-1), k) << "running";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clips, FrameExact,
    ::testing::Values(
        std::pair{"mpeg4.avi", ClipSpec{.codec = Codec::Mpeg4, .frames = 25}},
        std::pair{"h264.mp4", ClipSpec{.codec = Codec::H264, .frames = 40}},  // with B-frames
        // B-frames skipped while a move catches up, across GOPs
        std::pair{"gops.mp4", ClipSpec{.codec = Codec::H264, .frames = 150, .gop = 25}},
        std::pair{"offset.mkv",
                  ClipSpec{.codec = Codec::H264, .frames = 30, .startOffset = 0.8}},
        // as browsers' recorders write it: no length stated, no index
        std::pair{"streamed.mkv", ClipSpec{.codec = Codec::H264, .frames = 40, .withAudio = true,
                                           .streamed = true}},
        std::pair{"streamed.webm", ClipSpec{.codec = Codec::Vp8, .frames = 40, .streamed = true}},
        // program streams start at about 0.5 s; the first GOP must not be lost
        std::pair{"vcd.mpg", ClipSpec{.codec = Codec::Mpeg1, .frames = 40, .withAudio = true}},
        std::pair{"dvd.vob", ClipSpec{.codec = Codec::Mpeg2, .frames = 40, .gop = 15,
                                      .withAudio = true}},
        // ASF states no length per stream; its sound starts before the picture
        std::pair{"wmv8.wmv", ClipSpec{.codec = Codec::Wmv2, .frames = 40, .withAudio = true}},
        // stored turned, shown upright
        std::pair{"rot90.mp4", ClipSpec{.codec = Codec::H264, .frames = 12, .rotation = 90}},
        std::pair{"rot180.mp4", ClipSpec{.codec = Codec::H264, .frames = 12, .rotation = 180}},
        std::pair{"rot270.mp4", ClipSpec{.codec = Codec::H264, .frames = 12, .rotation = 270}}),
    [](const auto& info) { return QString(info.param.first).replace('.', '_').toStdString(); });

// Every picture walked by its next start, with its facts and luma. Keyframes only: moves land
// on the last keyframe at or before the target, the walk goes through exactly the keyframes
// (after a step back too) and their end is no cut. Switched back, every picture again.
TEST(FfmpegEngine, PictureFactsAndKeyframesOnly)
{
    std::vector<int> ticks;  // pictures 2 and 3 fiftieths of a second apart
    for (int k = 0, t = 0; k < 30; t += 2 + k % 2, ++k)
        ticks.push_back(t);
    const std::pair<const char*, ClipSpec> cases[] = {
        {"gop10.avi", {.codec = Codec::Mpeg4, .frames = 21, .gop = 10}},  // ends on a keyframe
        {"vfr.mp4", {.codec = Codec::H264, .fps = 50, .frames = 30, .frameTicks = ticks}}};
    for (const auto& [file, recipe] : cases) {
        SCOPED_TRACE(file);
        auto graph = render(clip(file, recipe));
        const auto walk = [&graph] {  // the starts of the pictures and of the keyframes
            std::pair<std::vector<double>, std::vector<double>> starts;
            std::int64_t before = INT64_MIN;
            for (Result<double> next = 0.0; next && starts.first.size() < 99;
                 next = graph->get_NextPictureStart()) {
                EXPECT_TRUE(graph->put_CurrentPosition(next.value()) && snapshot(*graph));
                const PictureFacts facts = graph->get_CurrentPicture().valueOr({});
                EXPECT_GT(facts.timestamp, std::exchange(before, facts.timestamp));
                starts.first.push_back(facts.start);
                if (facts.keyframe)
                    starts.second.push_back(facts.start);
            }
            EXPECT_EQ(graph->get_NextPictureStart().status().number(), mediaerror::kNoNextPicture);
            return starts;
        };
        const auto [starts, keys] = walk();
        ASSERT_EQ(starts.size(), size_t(recipe.frames));
        EXPECT_TRUE(recipe.codec != Codec::Mpeg4 || (keys == std::vector{0.0, 10 * T, 20 * T}));
        LumaPlane luma;
        ASSERT_TRUE(graph->GetCurrentLuma(luma) && luma.width == 160 && luma.height == 120);
        EXPECT_TRUE(luma.row(15)[20] > 200 && luma.row(15)[140] < 50);

        ASSERT_TRUE(graph->put_KeyframesOnly(true));
        for (const size_t i : {7, 0, 29, 12, 20, 3, 11, 10}) {
            const double at = starts[std::min(i, starts.size() - 1)];
            ASSERT_TRUE(graph->put_CurrentPosition(at));
            const double key = *(std::upper_bound(keys.begin(), keys.end(), at) - 1);
            EXPECT_EQ(graph->get_CurrentPicture().valueOr({}).start, key) << at;
        }
        EXPECT_EQ(walk(), std::pair(keys, keys));
        ASSERT_TRUE(graph->put_CurrentPosition(keys[1]));
        EXPECT_EQ(graph->get_NextPictureStart().valueOr(-1), keys[2]);

        ASSERT_TRUE(graph->put_KeyframesOnly(false) && graph->put_CurrentPosition(starts[13])
                    && snapshot(*graph) && graph->put_CurrentPosition(starts[12]));
        EXPECT_EQ(graph->get_NextPictureStart().valueOr(-1), starts[13]);
    }
}

// The surface paints the frame over a rectangle of its own shape, and is hidden without an
// owner; pausing freezes.
TEST(FfmpegEngine, SurfacePlayAndPause)
{
    auto graph = render(clip("long.avi"));
    QWidget host;
    host.show();
    ASSERT_TRUE(graph->put_Width(329) && graph->put_Height(241) && graph->put_Owner(&host));
    const QImage shown = graph->surface()->grab().toImage();
    EXPECT_GT(qGray(shown.pixel(20, 20)), 200);  // the white corner block, scaled up
    EXPECT_LT(qGray(shown.pixel(310, 20)), 50);
    ASSERT_TRUE(graph->put_Owner(nullptr));
    EXPECT_FALSE(graph->surface()->parentWidget() || graph->surface()->isVisible());

    ASSERT_TRUE(graph->Run());
    EXPECT_TRUE(QTest::qWaitFor([&] { return graph->get_CurrentPosition().value() > 0.3; }));
    ASSERT_TRUE(graph->Pause());
    const double paused = graph->get_CurrentPosition().value();
    const int frame = frameOnShow(*graph).valueOr(-1);
    EXPECT_GT(frame, 0);
    QTest::qWait(200);
    EXPECT_EQ(graph->get_CurrentPosition().value(), paused);
    EXPECT_EQ(frameOnShow(*graph).valueOr(-1), frame);
}

// A 40-byte bottom-up header and B,G,R,0xFF pixels at any address, one byte short refused;
// the bars keep their colours under every matrix and range, tagged or not.
TEST(FfmpegEngine, SnapshotsArePackedBitmapsInTheirTrueColours)
{
    const auto bars = [](Codec codec, int width, int height, bool tagged, int rotation = 0) {
        return ClipSpec{.codec = codec, .content = ClipSpec::Content::ColourBars, .width = width,
                        .height = height, .frames = 3, .rotation = rotation, .tagColour = tagged};
    };
    const std::pair<const char*, ClipSpec> cases[] = {
        {"bars-sd.avi", bars(Codec::Mpeg4, 320, 240, true)},
        {"bars-sd-untagged.mp4", bars(Codec::H264, 320, 240, false)},
        {"bars-sd-turned.mp4", bars(Codec::H264, 320, 240, true, 180)},
        {"bars-full-range.avi", bars(Codec::Mjpeg, 320, 240, false)},
        {"bars-hd-untagged.mp4", bars(Codec::H264, 1280, 720, false)},
        {"bars-film-untagged.mp4", bars(Codec::H264, 1280, 544, false)},  // HD by its width
        {"bars-hd.mp4", bars(Codec::H264, 1280, 720, true)},
    };
    for (const auto& [file, recipe] : cases) {
        SCOPED_TRACE(file);
        auto graph = render(clip(file, recipe));
        QByteArray bmp = snapshot(*graph).valueOr(QByteArray());
        const int pixels = recipe.width * recipe.height;
        ASSERT_EQ(bmp.size(), 54 + 4 * pixels);
        const qint32 header[10] = {40, recipe.width, recipe.height, 1 | 32 << 16};
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(qFromLittleEndian<qint32>(bmp.constData() + 14 + 4 * i), header[i]) << i;
        for (int i = 54 + 3; i < bmp.size(); i += 4)
            ASSERT_EQ(uchar(bmp[i]), 0xFF) << "alpha at " << i;
        EXPECT_FALSE(graph->GetCurrentImage(40 + 4 * pixels - 1, bmp.data()));
        QByteArray odd(1 + 40 + 4 * pixels, '\0');
        ASSERT_TRUE(graph->GetCurrentImage(40 + 4 * pixels, odd.data() + 1));
        EXPECT_EQ(odd.mid(1), bmp.mid(14));
        const QImage image = QImage::fromData(bmp, "BMP");
        for (int i = 0; i < 8; ++i) {
            const QColor want = colourBars()[i];
            const QColor got = image.pixelColor((2 * i + 1) * recipe.width / 16, recipe.height / 2);
            const int off = std::max({std::abs(got.red() - want.red()),
                                      std::abs(got.green() - want.green()),
                                      std::abs(got.blue() - want.blue())});
            EXPECT_LE(off, 10) << "bar " << i;
        }
    }
}

// Sound-only media plays and moves without video; levels are hundredths of a decibel.
TEST(FfmpegEngine, SoundOnlyMediaAndTheLevels)
{
    auto graph = render(clip("sound.wav", {.codec = Codec::None, .withAudio = true}));
    EXPECT_NEAR(graph->get_Duration().value(), 1.0, 0.05);
    EXPECT_FALSE(graph->get_AvgTimePerFrame() || graph->put_Owner(nullptr));
    EXPECT_TRUE(snapshot(*graph).valueOr(QByteArray()).isEmpty());
    EXPECT_TRUE(graph->Run() && graph->put_CurrentPosition(0.5) && graph->Pause());
    EXPECT_NEAR(graph->get_CurrentPosition().value(), 0.5, 0.05);

    EXPECT_EQ(ffmpeg::volumeGain(-10000), 0.0);
    EXPECT_EQ(ffmpeg::volumeGain(0), 1.0);
    EXPECT_NEAR(ffmpeg::volumeGain(-600), 0.501187, 1e-6);
    EXPECT_EQ(ffmpeg::balanceGains(2000), std::pair(0.1, 1.0));
}

// Missing and non-media files fail with a description; past a cut there is no picture (never
// an earlier one); after scrambled bytes frames are exact again; the start stays exact.
// PQ and HLG greys land on the BT.2390 curve (1000-nit peak, 203 nits white) and colours keep
// their hue, in the bitmap and on the surface; tone mapping off shows the signal as it is; an
// SDR picture is the same either way.
TEST(FfmpegEngine, HdrPicturesAreToneMappedUnlessKept)
{
    constexpr int kMapped[8] = {28, 54, 97, 141, 179, 215, 241, 255};
    constexpr int kKeptPq[8] = {38, 63, 91, 112, 130, 148, 167, 192};
    const auto linearHue = [](const QColor& c) {  // of the light a BT.1886 screen gives
        const auto light = [](float v) { return std::pow(v, 2.4f); };
        return QColor::fromRgbF(light(c.redF()), light(c.greenF()), light(c.blueF())).hueF() * 360;
    };
    QWidget host;
    host.show();
    for (const auto transfer : {ClipSpec::Transfer::Pq, ClipSpec::Transfer::Hlg}) {
        const bool pq = transfer == ClipSpec::Transfer::Pq;
        SCOPED_TRACE(pq ? "PQ" : "HLG");
        auto graph = render(clip(pq ? "pq.mkv" : "hlg.mkv",
                                 {.codec = Codec::Hevc10, .content = ClipSpec::Content::HdrLevels,
                                  .width = 64, .height = 16, .frames = 2, .transfer = transfer}));
        ASSERT_TRUE(graph->put_Width(128) && graph->put_Height(32) && graph->put_Owner(&host));
        for (const bool mapped : {true, false}) {
            ASSERT_TRUE(graph->put_ToneMapping(mapped));
            const QImage bitmap = QImage::fromData(snapshot(*graph).valueOr({}), "BMP");
            const QImage shown = graph->surface()->grab().toImage();
            for (int i = 0; i < 8; ++i) {
                const QColor grey = bitmap.pixelColor(8 * i + 4, 4);
                EXPECT_NEAR(grey.green(), mapped ? kMapped[i] : pq ? kKeptPq[i] : grey.green(), 2)
                    << "grey " << i << (mapped ? " mapped" : " kept");
                EXPECT_NEAR(qGray(shown.pixel(16 * i + 8, 8)), grey.green(), 2) << "shown " << i;
                if (!mapped)
                    continue;
                EXPECT_LE(std::max(std::abs(grey.red() - grey.green()),
                                   std::abs(grey.blue() - grey.green())), 1) << "grey " << i;
                const double turn = std::abs(linearHue(bitmap.pixelColor(8 * i + 4, 12))
                                             - hdrColours()[size_t(i)].hueF() * 360);
                EXPECT_LE(std::min(turn, 360 - turn), 3.0) << "colour " << i;
            }
        }
    }
    auto sdr =
        render(clip("sdr-bars.avi", {.content = ClipSpec::Content::ColourBars, .frames = 2}));
    const QByteArray mapped = snapshot(*sdr).valueOr({});
    ASSERT_TRUE(!mapped.isEmpty() && sdr->put_ToneMapping(false));
    EXPECT_EQ(snapshot(*sdr).valueOr({}), mapped);
}

// Off by default. On, the pictures flagged interlaced comb less, in the bitmap and on the
// surface alike, and keep their numbers; jumps, steps back and the end give the pictures of
// the run in sequence. Pictures flagged progressive pass unchanged, whatever they show.
TEST(FfmpegEngine, DeinterlacingOnlyInterlacedPictures)
{
    const auto apart = [](const QImage& a, const QImage& b, int dy) {  // b's rows dy lower
        std::int64_t sum = 0;
        for (int y = 0; y + dy < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y + dy)));
        return sum;
    };
    QWidget host;
    host.show();
    for (const bool interlaced : {true, false}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "progressive");
        auto graph = render(clip(interlaced ? "interlaced.mkv" : "fields.mkv",
                                 {.codec = Codec::H264, .content = ClipSpec::Content::FieldBar,
                                  .frames = 20, .gop = 8, .interlaced = interlaced}));
        const auto at = [&graph](int k) {
            EXPECT_TRUE(graph->put_CurrentPosition(k * T));
            return QImage::fromData(snapshot(*graph).valueOr({}), "BMP");
        };
        std::vector<QImage> off(20), on(20);
        std::generate(off.begin(), off.end(), [&at, k = 0]() mutable { return at(k++); });
        ASSERT_TRUE(graph->put_Deinterlace(true) && graph->put_Width(160)
                    && graph->put_Height(120) && graph->put_Owner(&host));
        for (int k = 0; k < 20; ++k) {
            on[k] = at(k);
            EXPECT_EQ(frameIndexFromImage(on[k]), k);
            EXPECT_TRUE(interlaced ? apart(on[k], on[k], 1) < apart(off[k], off[k], 1) / 2
                                   : on[k] == off[k]) << k;
        }
        const PictureFacts facts = graph->get_CurrentPicture().valueOr({});
        EXPECT_TRUE(facts.interlaced == interlaced && facts.deinterlaced == interlaced);
        for (int i = 0, k = 0; i < 22; ++i, k = i < 20 ? i * 7 % 20 : 39 - i)  // 0, 7, ... 19, 18
            EXPECT_EQ(at(k), on[k]) << "moved to " << k;
        EXPECT_LT(apart(graph->surface()->grab().toImage(), on[18], 0), 2 * 160 * 120);
    }
}

TEST(FfmpegEngine, BadFiles)
{
    for (const QString& path :
         {inFolder("missing.avi"), writeFile("notes.avi", QByteArray(4096, 'x'))}) {
        FilgraphManager graph;
        EXPECT_FALSE(graph.RenderFile(path).description().isEmpty()) << qPrintable(path);
        EXPECT_FALSE(graph.Run() || graph.get_AvgTimePerFrame()) << qPrintable(path);
    }
    QFile whole(clip("long.avi"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QByteArray scrambled = bytes;
    std::mt19937 random(3);
    for (qsizetype at = bytes.size() / 3; at < bytes.size() * 2 / 3; at += 97)
        scrambled[at] = static_cast<char>(random());
    const std::pair<QString, int> cases[] = {
        {cutCopy(whole.fileName(), 0.5), -1},
        {writeFile("scrambled.avi", scrambled), 75}};
    for (const auto& [path, shown] : cases) {
        auto graph = render(path);
        for (int k : {10, 90, 30, 99, 60, 3, 75})
            ASSERT_TRUE(graph->put_CurrentPosition(k * T)) << qPrintable(path);
        EXPECT_EQ(frameOnShow(*graph).valueOr(-1), shown) << qPrintable(path);
        ASSERT_TRUE(graph->put_CurrentPosition(10 * T));
        EXPECT_EQ(frameOnShow(*graph).valueOr(-1), 10) << qPrintable(path);
    }
}

}  // namespace
}  // namespace kadrel
