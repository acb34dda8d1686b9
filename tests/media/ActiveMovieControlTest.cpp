// The session's call orders and failure policies, on a recording fake of the graph.

#include "media/ActiveMovieControl.h"
#include "support/FakeGraph.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

using namespace kadrel;
using namespace kadrel::test;

namespace {

class SessionTest : public ::testing::Test {
protected:
    SessionTest()
        : session(state, fake.screen, graphs.factory(), [this] { ++yields; })
    {
        video.setObjectName(QStringLiteral("Video"));
        video.resize(329, 241);  // 4935 x 3615 twips at 15 twips per pixel
        fullScreen.setObjectName(QStringLiteral("frmfull"));
        session.setVideoHost(&video);
        session.setFullScreenHost([this] {
            ++fullScreenLoads;
            return &fullScreen;
        });
    }

    QStringList calls() const { return graphs.script->calls; }
    void clearCalls() { graphs.script->calls.clear(); }
    FakeGraph& graph() { return *graphs.last; }

    ProgramState state;
    FakePlatform fake;
    FakeGraphFactory graphs;
    ActiveMovieControl session;
    QWidget video;
    QWidget fullScreen;
    int yields = 0;
    int fullScreenLoads = 0;
};

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::uint32_t le32(const QByteArray& bytes, int at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

}  // namespace

TEST_F(SessionTest, OpenRunsTheFixedSequenceAndStartsPlaying)
{
    graphs.script->duration = 12.125;
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());

    EXPECT_EQ(calls(), QStringList({
                           QStringLiteral("RenderFile(/v/clip.avi)"),
                           QStringLiteral("put_Volume(0)"),
                           QStringLiteral("put_Balance(0)"),
                           QStringLiteral("put_WindowStyle(100663296)"),
                           QStringLiteral("put_Left(0)"),
                           QStringLiteral("put_Top(0)"),
                           QStringLiteral("put_Width(329)"),
                           QStringLiteral("put_Height(241)"),
                           QStringLiteral("put_Owner(Video)"),
                           QStringLiteral("put_Rate(1)"),
                           QStringLiteral("get_Duration"),
                           QStringLiteral("get_CurrentPosition"),
                           QStringLiteral("get_CurrentPosition"),
                           QStringLiteral("Run"),
                       }));
    EXPECT_TRUE(session.session().playing);
    EXPECT_DOUBLE_EQ(session.GetDuration(), 12.12);
    EXPECT_EQ(session.session().mediaFile, QStringLiteral("/v/clip.avi"));
    EXPECT_EQ(yields, 2);  // one in the close, one in the open
}

TEST_F(SessionTest, OpeningWhilePlayingClosesTheOldGraphFirst)
{
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/a.avi")).ok());
    const auto first = graphs.last;
    first->position = 4.0;
    first->volume = -2500;
    clearCalls();

    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/b.avi")).ok());
    const QStringList expectedStart = {
        QStringLiteral("Stop"), QStringLiteral("put_Left(230400)"),
        QStringLiteral("put_Height(129600)"), QStringLiteral("put_Owner(0)"),
        QStringLiteral("RenderFile(/v/b.avi)")};
    EXPECT_EQ(calls().mid(0, 5), expectedStart);
    EXPECT_NE(graphs.last, first);
    EXPECT_EQ(graphs.last->volume, 0);
    EXPECT_DOUBLE_EQ(graphs.last->position, 0.0);
    EXPECT_EQ(graphs.last->owner, &video);
    EXPECT_EQ(first->owner, nullptr);
}

TEST_F(SessionTest, UnrenderableFileLeavesNoMediaLoaded)
{
    graphs.script->renderFails = true;
    const Status status = session.OpenMedia(QStringLiteral("/v/text.avi"));
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(status.description().isEmpty());
    EXPECT_FALSE(session.session().playing);
    EXPECT_FALSE(session.hasMedia());
    EXPECT_EQ(session.GetDuration(), 0.0);
    EXPECT_EQ(calls(), QStringList{QStringLiteral("RenderFile(/v/text.avi)")});

    // Nothing later touches a graph: pause, snapshot and volume stay silent no-ops.
    clearCalls();
    session.PauseMedia();
    session.SetVolume(-100);
    EXPECT_TRUE(session.SaveFrameBitmap(QStringLiteral("/nonexistent/x.bmp")).ok());
    EXPECT_FALSE(session.GetTimePerFrame().ok());
    EXPECT_TRUE(calls().isEmpty());
}

TEST_F(SessionTest, SoundOnlyMediaSkipsTheVideoCallsAndFrameTimeRaises)
{
    graphs.script->hasVideo = false;
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/song.wav")).ok());
    EXPECT_TRUE(session.session().playing);
    EXPECT_TRUE(calls().contains(QStringLiteral("put_Rate(1)")));
    EXPECT_TRUE(calls().contains(QStringLiteral("Run")));
    const Result<double> frameTime = session.GetTimePerFrame();
    EXPECT_FALSE(frameTime.ok());
    EXPECT_FALSE(frameTime.status().description().isEmpty());
    // Full screen fails at its first video call, after silencing the sound.
    EXPECT_FALSE(session.SetFullScreen(true, false).ok());
    EXPECT_EQ(graph().volume, -10000);
    EXPECT_FALSE(state.fullScreenActive);
}

TEST_F(SessionTest, PlayRestartsOnlyAtTheEnd)
{
    graphs.script->duration = 60.0;
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    session.PauseMedia();

    graph().position = 59.996;  // the end, to the whole second
    session.PlayMedia();
    EXPECT_DOUBLE_EQ(graph().position, 0.0);

    session.PauseMedia();
    graph().position = 59.4;
    session.PlayMedia();
    EXPECT_DOUBLE_EQ(graph().position, 59.4);
    EXPECT_TRUE(session.session().playing);
}

TEST_F(SessionTest, PausedSessionIgnoresPositionAndStop)
{
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    graph().position = 3.0;
    EXPECT_DOUBLE_EQ(session.GetPosition().value(), 3.0);
    session.PauseMedia();
    EXPECT_FALSE(session.session().playing);

    clearCalls();
    EXPECT_DOUBLE_EQ(session.GetPosition().value(), 0.0);
    EXPECT_TRUE(session.SetPosition(7.0).ok());
    session.StopMedia();
    session.PauseMedia();
    EXPECT_TRUE(calls().isEmpty());
    EXPECT_DOUBLE_EQ(graph().position, 3.0);

    session.PlayMedia();
    session.StopMedia();
    EXPECT_FALSE(session.session().playing);
    EXPECT_DOUBLE_EQ(graph().position, 0.0);
}

TEST_F(SessionTest, FailuresEndPauseStopAndPositionAsTheirPolicySays)
{
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    graph().position = 5.0;
    graphs.script->failing = {QStringLiteral("Pause"), QStringLiteral("Stop")};
    session.PauseMedia();
    EXPECT_TRUE(session.session().playing);  // a failing pause leaves it playing
    session.StopMedia();
    EXPECT_TRUE(session.session().playing);
    EXPECT_DOUBLE_EQ(graph().position, 5.0);

    graphs.script->failing = {QStringLiteral("get_CurrentPosition"),
                              QStringLiteral("put_CurrentPosition")};
    EXPECT_FALSE(session.GetPosition().ok());
    const Status moved = session.SetPosition(2.0);
    EXPECT_FALSE(moved.ok());
    EXPECT_NE(moved.number(), 0);

    // A failing stop ends the close before the video window is parked.
    graphs.script->failing = {QStringLiteral("Stop")};
    clearCalls();
    session.CloseMedia();
    EXPECT_EQ(calls(), QStringList{QStringLiteral("Stop")});
    EXPECT_EQ(graph().owner, &video);
}

TEST_F(SessionTest, OpenSkipsFailingStepsAndStillPlays)
{
    graphs.script->failing = {QStringLiteral("put_Volume"), QStringLiteral("put_Width"),
                              QStringLiteral("get_Duration")};
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    EXPECT_TRUE(calls().contains(QStringLiteral("put_Owner(Video)")));
    EXPECT_EQ(session.GetDuration(), 0.0);
    EXPECT_TRUE(session.session().playing);
}

TEST_F(SessionTest, CloseParksTheWindowAndKeepsTheGraph)
{
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    clearCalls();
    session.CloseMedia();
    EXPECT_EQ(calls(), QStringList({QStringLiteral("Stop"), QStringLiteral("put_Left(230400)"),
                                    QStringLiteral("put_Height(129600)"),
                                    QStringLiteral("put_Owner(0)")}));
    EXPECT_FALSE(session.session().playing);
    EXPECT_FALSE(session.hasMedia());
    EXPECT_NE(session.session().graphManager, nullptr);
    EXPECT_EQ(session.session().videoWindow, nullptr);
    EXPECT_EQ(session.session().mediaPosition, nullptr);
}

TEST_F(SessionTest, VolumeBeforeAnyFileDoesNothing)
{
    session.SetVolume(-5000);
    EXPECT_TRUE(calls().isEmpty());
    EXPECT_EQ(session.GetDuration(), 0.0);
    EXPECT_DOUBLE_EQ(session.GetPosition().value(), 0.0);
}

TEST_F(SessionTest, FullScreenSwitchSizesBeforeOwnerAndRestoresTheLevel)
{
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    state.volumeLevel = 40;
    clearCalls();
    ASSERT_TRUE(session.SetFullScreen(true, false).ok());
    EXPECT_EQ(calls(), QStringList({QStringLiteral("put_Volume(-10000)"),
                                    QStringLiteral("put_Width(1920)"),
                                    QStringLiteral("put_Height(1080)"),
                                    QStringLiteral("put_Owner(frmfull)"),
                                    QStringLiteral("put_Volume(-6000)")}));
    EXPECT_TRUE(state.fullScreenActive);
    EXPECT_EQ(fullScreenLoads, 1);

    // Twice gives the same result as once.
    ASSERT_TRUE(session.SetFullScreen(true, false).ok());
    EXPECT_EQ(graph().owner, &fullScreen);

    // Back, muted: sized to the picture box, and the sound stays silent.
    state.volumeLevel = 70;
    clearCalls();
    ASSERT_TRUE(session.SetFullScreen(false, true).ok());
    EXPECT_EQ(calls(), QStringList({QStringLiteral("put_Volume(-10000)"),
                                    QStringLiteral("put_Width(329)"),
                                    QStringLiteral("put_Height(241)"),
                                    QStringLiteral("put_Owner(Video)")}));
    EXPECT_FALSE(state.fullScreenActive);
    EXPECT_EQ(graph().volume, -10000);
}

TEST_F(SessionTest, FullScreenFailureGoesToTheCaller)
{
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    graphs.script->failing = {QStringLiteral("put_Owner")};
    EXPECT_FALSE(session.SetFullScreen(true, false).ok());
    EXPECT_FALSE(state.fullScreenActive);
}

TEST_F(SessionTest, BitmapBytesFollowTheLayout)
{
    graphs.script->videoWidth = 32;
    graphs.script->videoHeight = 24;
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    session.PauseMedia();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("frame.bmp"));

    // An existing longer file is cut to the new length.
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(20000, 'z'));
    }
    clearCalls();
    ASSERT_TRUE(session.SaveFrameBitmap(path).ok());
    EXPECT_EQ(calls(), QStringList({QStringLiteral("get_VideoHeight"),
                                    QStringLiteral("get_VideoWidth"),
                                    QStringLiteral("GetCurrentImage(3112)")}));

    const QByteArray bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 4 * 32 * 24 + 54);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(le32(bytes, 2), static_cast<std::uint32_t>(bytes.size()));
    EXPECT_EQ(le32(bytes, 6), 0u);
    EXPECT_EQ(le32(bytes, 10), 54u);
    EXPECT_EQ(le32(bytes, 14), 40u);
    EXPECT_EQ(le32(bytes, 18), 32u);
    EXPECT_EQ(le32(bytes, 22), 24u);
    EXPECT_EQ(le32(bytes, 26), 1u | (32u << 16));
    EXPECT_EQ(le32(bytes, 34), 0u);
    EXPECT_EQ(le32(bytes, 38), 2834u);
    EXPECT_EQ(le32(bytes, 42), 2834u);
    for (int i = 0; i < 4 * 32 * 24; ++i)
        ASSERT_EQ(static_cast<unsigned char>(bytes[54 + i]), static_cast<unsigned char>(i)) << i;
}

TEST_F(SessionTest, ShorterFrameLeavesZerosNotTheLastFramesBytes)
{
    graphs.script->videoWidth = 320;
    graphs.script->videoHeight = 240;
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    session.PauseMedia();
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("a.bmp"));
    const QString second = dir.filePath(QStringLiteral("b.bmp"));
    ASSERT_TRUE(session.SaveFrameBitmap(first).ok());

    graphs.script->bitsPerPixel = 24;
    ASSERT_TRUE(session.SaveFrameBitmap(second).ok());
    const QByteArray bytes = readFile(second);
    ASSERT_EQ(bytes.size(), 307254);
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);
    EXPECT_EQ(static_cast<unsigned char>(bytes[54 + 230399]), static_cast<unsigned char>(230399));
    EXPECT_EQ(bytes.mid(54 + 230400), QByteArray(76800, '\0'));
}

TEST_F(SessionTest, SnapshotFailuresTouchNoFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("none.bmp"));
    // Before any media: nothing written, no error.
    EXPECT_TRUE(session.SaveFrameBitmap(path).ok());
    EXPECT_FALSE(QFile::exists(path));

    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    graphs.script->failing = {QStringLiteral("GetCurrentImage")};
    EXPECT_FALSE(session.SaveFrameBitmap(path).ok());
    EXPECT_FALSE(QFile::exists(path));

    graphs.script->failing.clear();
    graphs.script->videoWidth = 65536;
    graphs.script->videoHeight = 65536;
    const Status overflow = session.SaveFrameBitmap(path);
    EXPECT_FALSE(overflow.ok());
    EXPECT_EQ(overflow.number(), 6);
    EXPECT_FALSE(QFile::exists(path));

    graphs.script->videoWidth = 8;
    graphs.script->videoHeight = 8;
    const Status missingFolder = session.SaveFrameBitmap(dir.filePath(QStringLiteral("no/x.bmp")));
    EXPECT_FALSE(missingFolder.ok());
    EXPECT_EQ(missingFolder.number(), ENOENT);
    EXPECT_TRUE(missingFolder.description().contains(QStringLiteral("no/x.bmp")));
}

TEST_F(SessionTest, WriteFailureOnAFullDeviceIsReported)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    ASSERT_TRUE(session.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
    const Status full = session.SaveFrameBitmap(QStringLiteral("/dev/full"));
    EXPECT_FALSE(full.ok());
    EXPECT_EQ(full.number(), ENOSPC);
}
