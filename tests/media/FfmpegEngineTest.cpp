// The FFmpeg engine on clips generated here: frame-exact pictures after every kind of move,
// colours, rotation, playback and the end of the media, and media it must refuse or survive.

#include "media/ActiveMovieControl.h"
#include "media/ffmpeg/AudioOutput.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "media/ffmpeg/FilgraphManager.h"
#include "support/FakePlatform.h"
#include "support/MediaGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

namespace kadrel {
namespace {

using ffmpeg::FilgraphManager;
using test::ClipSpec;

// Clips are made once per run and shared by the tests.
class Clips {
public:
    static QString get(const QString& name, const ClipSpec& spec)
    {
        static QTemporaryDir dir;
        static std::map<QString, QString> made;
        auto it = made.find(name);
        if (it != made.end())
            return it->second;
        const QString path = dir.filePath(name);
        const Status s = test::generateClip(spec, path);
        EXPECT_TRUE(s.ok()) << qPrintable(s.text());
        made[name] = path;
        return path;
    }
};

ClipSpec spec(ClipSpec::Codec codec, int frames = 25)
{
    ClipSpec s;
    s.codec = codec;
    s.frames = frames;
    return s;
}

QString mpeg4Avi() { return Clips::get("mpeg4.avi", spec(ClipSpec::Codec::Mpeg4)); }
QString h264Mp4() { return Clips::get("h264.mp4", spec(ClipSpec::Codec::H264, 40)); }
QString mjpegAvi() { return Clips::get("mjpeg.avi", spec(ClipSpec::Codec::Mjpeg)); }
QString offsetMkv()
{
    ClipSpec s = spec(ClipSpec::Codec::H264, 30);
    s.startOffset = 0.8;
    return Clips::get("offset.mkv", s);
}
QString soundOnlyWav()
{
    ClipSpec s = spec(ClipSpec::Codec::None);
    s.withAudio = true;
    return Clips::get("sound.wav", s);
}

// The frame on show as a bitmap file's bytes.
QByteArray snapshot(FilgraphManager& graph)
{
    const int w = graph.get_VideoWidth().valueOr(0);
    const int h = graph.get_VideoHeight().valueOr(0);
    QByteArray bmp(14 + 40 + 4 * w * h, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[10] = 54;
    if (!graph.GetCurrentImage(40 + 4 * w * h, bmp.data() + 14))
        return {};
    return bmp;
}

int frameOnShow(FilgraphManager& graph)
{
    return test::frameIndexFromBitmap(snapshot(graph));
}

std::unique_ptr<FilgraphManager> render(const QString& path)
{
    auto graph = std::make_unique<FilgraphManager>();
    const Status s = graph->RenderFile(path);
    EXPECT_TRUE(s.ok()) << qPrintable(s.text());
    return graph;
}

// Lets playback run until done() or a generous limit; the limit only keeps a broken engine
// from hanging the suite.
template <typename Done>
void runEventsUntil(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(FfmpegEngine, ReportsDurationFrameTimeAndSize)
{
    auto graph = render(mpeg4Avi());
    EXPECT_NEAR(graph->get_Duration().value(), 1.0, 0.041);
    EXPECT_DOUBLE_EQ(graph->get_AvgTimePerFrame().value(), 0.04);
    EXPECT_EQ(graph->get_VideoWidth().value(), 160);
    EXPECT_EQ(graph->get_VideoHeight().value(), 120);
    EXPECT_EQ(frameOnShow(*graph), 0);
}

TEST(FfmpegEngine, PositionZeroIsTheFirstFrameWhateverItsTimestamp)
{
    auto graph = render(offsetMkv());
    EXPECT_EQ(graph->get_CurrentPosition().value(), 0.0);
    EXPECT_EQ(frameOnShow(*graph), 0);
    ASSERT_TRUE(graph->put_CurrentPosition(0.4));
    EXPECT_EQ(frameOnShow(*graph), 10);
}

// The bulk run's step for every frame: Run, move, Pause, snapshot; time by repeated addition.
void expectEveryFrameInSequence(const QString& path, int frames)
{
    SCOPED_TRACE(path.toStdString());
    auto graph = render(path);
    const double t = graph->get_AvgTimePerFrame().value();
    double captureTime = 0.0;
    for (int k = 0; k < frames; ++k, captureTime += t) {
        ASSERT_TRUE(graph->Run());
        ASSERT_TRUE(graph->put_CurrentPosition(captureTime));
        ASSERT_TRUE(graph->Pause());
        EXPECT_EQ(frameOnShow(*graph), k) << "at " << captureTime;
    }
}

TEST(FfmpegEngine, EveryFrameInSequenceIsExact)
{
    expectEveryFrameInSequence(mpeg4Avi(), 25);
    expectEveryFrameInSequence(h264Mp4(), 40);
    expectEveryFrameInSequence(mjpegAvi(), 25);
    expectEveryFrameInSequence(offsetMkv(), 30);
}

void expectRandomJumps(const QString& path, int frames)
{
    SCOPED_TRACE(path.toStdString());
    auto graph = render(path);
    const double t = graph->get_AvgTimePerFrame().value();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, frames - 1);
    for (int i = 0; i < 30; ++i) {
        const int k = i == 0 ? frames - 1 : pick(random);
        ASSERT_TRUE(graph->put_CurrentPosition(k * t));
        EXPECT_EQ(frameOnShow(*graph), k) << "jump " << i;
    }
}

TEST(FfmpegEngine, RandomJumpsBackAndForthAreExact)
{
    expectRandomJumps(mpeg4Avi(), 25);
    expectRandomJumps(h264Mp4(), 40);
    expectRandomJumps(offsetMkv(), 30);
}

TEST(FfmpegEngine, AMoveWhileRunningShowsTheTargetBeforeItReturns)
{
    auto graph = render(h264Mp4());
    ASSERT_TRUE(graph->Run());
    ASSERT_TRUE(graph->put_CurrentPosition(1.2));
    EXPECT_EQ(frameOnShow(*graph), 30);
    ASSERT_TRUE(graph->put_CurrentPosition(0.2));
    EXPECT_EQ(frameOnShow(*graph), 5);
    graph->Pause();
}

TEST(FfmpegEngine, TheLastFramesAreReachable)
{
    auto graph = render(h264Mp4());
    const double t = graph->get_AvgTimePerFrame().value();
    ASSERT_TRUE(graph->put_CurrentPosition(39 * t));
    EXPECT_EQ(frameOnShow(*graph), 39);
    ASSERT_TRUE(graph->put_CurrentPosition(graph->get_Duration().value() + 5.0));
    EXPECT_EQ(frameOnShow(*graph), 39);
}

TEST(FfmpegEngine, PlayAdvancesAndPauseFreezes)
{
    auto graph = render(Clips::get("long.avi", spec(ClipSpec::Codec::Mpeg4, 100)));
    ASSERT_TRUE(graph->Run());
    runEventsUntil([&] { return graph->get_CurrentPosition().value() > 0.3; });
    EXPECT_GT(graph->get_CurrentPosition().value(), 0.3);
    ASSERT_TRUE(graph->Pause());
    const double paused = graph->get_CurrentPosition().value();
    const int frame = frameOnShow(*graph);
    EXPECT_GT(frame, 0);
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(graph->get_CurrentPosition().value(), paused);
    EXPECT_EQ(frameOnShow(*graph), frame);
}

TEST(FfmpegEngine, RunningPastTheEndStaysAtTheEnd)
{
    auto graph = render(mpeg4Avi());
    const double duration = graph->get_Duration().value();
    ASSERT_TRUE(graph->Run());
    ASSERT_TRUE(graph->put_CurrentPosition(duration - 0.2));
    runEventsUntil([&] { return graph->get_CurrentPosition().value() >= duration; });
    EXPECT_EQ(graph->get_CurrentPosition().value(), duration);
    EXPECT_EQ(frameOnShow(*graph), 24);
    QCoreApplication::processEvents();
    EXPECT_EQ(graph->get_CurrentPosition().value(), duration);
}

void expectBars(const QString& path, int tolerance)
{
    SCOPED_TRACE(path.toStdString());
    auto graph = render(path);
    const QByteArray bmp = snapshot(*graph);
    const int w = graph->get_VideoWidth().value();
    const int h = graph->get_VideoHeight().value();
    const auto bars = test::colourBars();
    for (int i = 0; i < 8; ++i) {
        const QColor got = test::bitmapPixel(bmp, (2 * i + 1) * w / 16, h / 2);
        EXPECT_NEAR(got.red(), bars[i].red(), tolerance) << "bar " << i;
        EXPECT_NEAR(got.green(), bars[i].green(), tolerance) << "bar " << i;
        EXPECT_NEAR(got.blue(), bars[i].blue(), tolerance) << "bar " << i;
    }
}

TEST(FfmpegEngine, ColourBarsKeepTheirColours)
{
    ClipSpec sd = spec(ClipSpec::Codec::Mpeg4, 3);
    sd.width = 320;
    sd.height = 240;
    sd.content = ClipSpec::Content::ColourBars;
    expectBars(Clips::get("bars-sd.avi", sd), 10);
    sd.codec = ClipSpec::Codec::H264;
    sd.tagColour = false;
    expectBars(Clips::get("bars-sd-untagged.mp4", sd), 10);
    sd.codec = ClipSpec::Codec::Mjpeg;
    expectBars(Clips::get("bars-full-range.avi", sd), 10);
    ClipSpec hd = sd;
    hd.codec = ClipSpec::Codec::H264;
    hd.width = 1280;
    hd.height = 720;
    expectBars(Clips::get("bars-hd-untagged.mp4", hd), 10);
    hd.tagColour = true;
    expectBars(Clips::get("bars-hd.mp4", hd), 10);
}

TEST(FfmpegEngine, RotatedClipsComeOutUpright)
{
    for (int rotation : {90, 180, 270}) {
        SCOPED_TRACE(rotation);
        ClipSpec s = spec(ClipSpec::Codec::H264, 12);
        s.rotation = rotation;
        auto graph = render(Clips::get(QStringLiteral("rotated%1.mp4").arg(rotation), s));
        EXPECT_EQ(graph->get_VideoWidth().value(), 160);
        EXPECT_EQ(graph->get_VideoHeight().value(), 120);
        ASSERT_TRUE(graph->put_CurrentPosition(7 * 0.04));
        EXPECT_EQ(frameOnShow(*graph), 7);
    }
}

TEST(FfmpegEngine, GetCurrentImageWritesThePackedBitmapHeader)
{
    auto graph = render(mpeg4Avi());
    const QByteArray bmp = snapshot(*graph);
    ASSERT_EQ(bmp.size(), 54 + 4 * 160 * 120);
    const auto le32 = [&](int at) {
        return qFromLittleEndian<qint32>(reinterpret_cast<const uchar*>(bmp.constData()) + at);
    };
    EXPECT_EQ(le32(14), 40);
    EXPECT_EQ(le32(18), 160);
    EXPECT_EQ(le32(22), 120);  // positive: rows bottom-up
    EXPECT_EQ(qFromLittleEndian<quint16>(bmp.constData() + 26), 1);
    EXPECT_EQ(qFromLittleEndian<quint16>(bmp.constData() + 28), 32);
    for (int at = 30; at < 54; at += 4)
        EXPECT_EQ(le32(at), 0) << "offset " << at;
    for (int i = 54 + 3; i < bmp.size(); i += 4)
        ASSERT_EQ(static_cast<uchar>(bmp[i]), 0xFF) << "alpha at " << i;
    // The top-left block is white, the bottom-left black: the first row in the file is the
    // bottom row of the picture.
    EXPECT_LT(static_cast<uchar>(bmp[54 + 4 * 5]), 50);
    EXPECT_GT(static_cast<uchar>(bmp[54 + 4 * (160 * 119 + 5)]), 200);
}

TEST(FfmpegEngine, GetCurrentImageRefusesASmallBuffer)
{
    auto graph = render(mpeg4Avi());
    std::vector<char> buffer(40 + 4 * 160 * 120 - 1);
    EXPECT_FALSE(graph->GetCurrentImage(static_cast<int>(buffer.size()), buffer.data()));
}

TEST(FfmpegEngine, SoundOnlyMediaHasNoVideo)
{
    auto graph = render(soundOnlyWav());
    EXPECT_NEAR(graph->get_Duration().value(), 1.0, 0.05);
    EXPECT_FALSE(graph->get_AvgTimePerFrame());
    EXPECT_FALSE(graph->put_Owner(nullptr));
    std::vector<char> buffer(1000);
    EXPECT_FALSE(graph->GetCurrentImage(1000, buffer.data()));
    EXPECT_TRUE(graph->Run());
    EXPECT_TRUE(graph->put_CurrentPosition(0.5));
    EXPECT_TRUE(graph->Pause());
    EXPECT_NEAR(graph->get_CurrentPosition().value(), 0.5, 0.05);
}

TEST(FfmpegEngine, UnrenderableFilesFailWithADescription)
{
    QTemporaryDir dir;
    const QString text = dir.filePath("notes.avi");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    for (const QString& path : {dir.filePath("missing.avi"), text}) {
        FilgraphManager graph;
        const Status s = graph.RenderFile(path);
        EXPECT_FALSE(s.ok());
        EXPECT_FALSE(s.description().isEmpty());
        EXPECT_FALSE(graph.Run());
        EXPECT_FALSE(graph.get_AvgTimePerFrame());
    }
}

TEST(FfmpegEngine, ATruncatedFileJustEndsEarly)
{
    QTemporaryDir dir;
    QFile whole(Clips::get("long.avi", spec(ClipSpec::Codec::Mpeg4, 100)));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(dir.filePath("cut.avi"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(whole.size() / 2));
    cut.close();
    auto graph = render(cut.fileName());
    for (double t : {0.4, 3.9, 3.0, 1.0})
        EXPECT_TRUE(graph->put_CurrentPosition(t));
    EXPECT_EQ(frameOnShow(*graph), 25);  // before the cut, exact
    ASSERT_TRUE(graph->put_CurrentPosition(3.9));
    const int last = frameOnShow(*graph);
    EXPECT_GT(last, 25);
    EXPECT_LT(last, 99);
}

TEST(FfmpegEngine, CorruptPacketsAreSkipped)
{
    QTemporaryDir dir;
    QFile whole(Clips::get("long.avi", spec(ClipSpec::Codec::Mpeg4, 100)));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QByteArray bytes = whole.readAll();
    std::mt19937 random(3);
    for (qsizetype at = bytes.size() / 3; at < bytes.size() * 2 / 3; at += 97)
        bytes[at] = static_cast<char>(random());
    QFile damaged(dir.filePath("damaged.avi"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(bytes);
    damaged.close();
    auto graph = render(damaged.fileName());
    const double t = graph->get_AvgTimePerFrame().value();
    for (int k = 0; k < 100; k += 3) {
        ASSERT_TRUE(graph->put_CurrentPosition(k * t));
        snapshot(*graph);
    }
    ASSERT_TRUE(graph->put_CurrentPosition(10 * t));
    EXPECT_EQ(frameOnShow(*graph), 10);  // undamaged part, exact
}

TEST(FfmpegEngine, TheVideoWindowFollowsItsOwner)
{
    auto graph = render(mpeg4Avi());
    QWidget host;
    host.resize(400, 300);
    host.show();
    ASSERT_TRUE(graph->put_WindowStyle(kVideoWindowStyle));
    ASSERT_TRUE(graph->put_Left(0));
    ASSERT_TRUE(graph->put_Top(0));
    ASSERT_TRUE(graph->put_Width(329));
    ASSERT_TRUE(graph->put_Height(241));
    ASSERT_TRUE(graph->put_Owner(&host));
    QWidget* surface = graph->surface();
    EXPECT_EQ(surface->parentWidget(), &host);
    EXPECT_TRUE(surface->isVisible());
    EXPECT_EQ(surface->geometry(), QRect(0, 0, 329, 241));
    const QImage shown = surface->grab().toImage();
    EXPECT_GT(qGray(shown.pixel(20, 20)), 200);  // the white corner block, stretched
    EXPECT_LT(qGray(shown.pixel(310, 20)), 50);
    ASSERT_TRUE(graph->put_Left(8 * 28800));
    ASSERT_TRUE(graph->put_Owner(nullptr));
    EXPECT_EQ(surface->parentWidget(), nullptr);
    EXPECT_FALSE(surface->isVisible());
}

TEST(FfmpegEngine, VolumeIsAttenuationInHundredthsOfADecibel)
{
    EXPECT_EQ(ffmpeg::volumeGain(-10000), 0.0);
    EXPECT_EQ(ffmpeg::volumeGain(0), 1.0);
    EXPECT_NEAR(ffmpeg::volumeGain(-2000), 0.1, 1e-12);
    EXPECT_NEAR(ffmpeg::volumeGain(-600), 0.501187, 1e-6);
    EXPECT_EQ(ffmpeg::balanceGains(0), std::make_pair(1.0, 1.0));
    const auto [left, right] = ffmpeg::balanceGains(2000);
    EXPECT_NEAR(left, 0.1, 1e-12);
    EXPECT_EQ(right, 1.0);
    FilgraphManager graph;
    EXPECT_FALSE(graph.put_Volume(1));
}

// The session on the real engine: open, close and reopen, and the bitmap file it writes.
class SessionOnFfmpeg : public ::testing::Test {
protected:
    ProgramState state;
    test::FixedScreen screen;
    QWidget video;
    ActiveMovieControl control{state, screen, makeFfmpegGraph, [] {}};
    QTemporaryDir dir;

    void SetUp() override
    {
        video.resize(329, 241);
        control.setVideoHost(&video);
    }
};

TEST_F(SessionOnFfmpeg, OpenCloseAndReopen)
{
    ASSERT_TRUE(control.OpenMedia(mpeg4Avi()));
    EXPECT_TRUE(control.session().playing);
    EXPECT_NEAR(control.GetDuration(), 1.0, 0.041);
    control.CloseMedia();
    EXPECT_FALSE(control.hasMedia());
    ASSERT_TRUE(control.OpenMedia(h264Mp4()));
    EXPECT_EQ(control.GetTimePerFrame().value(), 0.04);
    control.PauseMedia();
    ASSERT_TRUE(control.SaveFrameBitmap(dir.filePath("f.bmp")));
    EXPECT_EQ(QFileInfo(dir.filePath("f.bmp")).size(), 4 * 160 * 120 + 54);
}

TEST_F(SessionOnFfmpeg, BulkStepsWriteEachFrameExactly)
{
    ASSERT_TRUE(control.OpenMedia(h264Mp4()));
    control.PauseMedia();
    const double t = control.GetTimePerFrame().value();
    double captureTime = 0.0;
    for (int k = 0; k < 40; ++k, captureTime += t) {
        control.PlayMedia();
        ASSERT_TRUE(control.SetPosition(captureTime));
        control.PauseMedia();
        const QString path = dir.filePath(QStringLiteral("frame%1.bmp").arg(k));
        ASSERT_TRUE(control.SaveFrameBitmap(path));
        EXPECT_EQ(test::frameIndexFromBitmap(path), k);
    }
}

TEST_F(SessionOnFfmpeg, SoundOnlyMediaRaisesOnFrameTime)
{
    ASSERT_TRUE(control.OpenMedia(soundOnlyWav()));
    EXPECT_FALSE(control.GetTimePerFrame());
}

TEST_F(SessionOnFfmpeg, AFileThatCannotBeRenderedLeavesNoMedia)
{
    EXPECT_FALSE(control.OpenMedia(dir.filePath("missing.mp4")));
    EXPECT_FALSE(control.hasMedia());
}

}  // namespace
}  // namespace kadrel
