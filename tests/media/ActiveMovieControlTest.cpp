// The session's call orders and failure policies, on a recording fake of the graph.

#include "common/Rounding.h"
#include "media/ActiveMovieControl.h"
#include "support/FakeGraph.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

using namespace kadrel;
using namespace kadrel::test;

namespace {

// What closing does: stop, park the video window far off screen, detach it.
const QStringList kClose = {"Stop", "put_Left(230400)", "put_Height(129600)", "put_Owner(0)"};

class SessionTest : public ::testing::Test {
protected:
    SessionTest() : session(state, fake.screen, graphs.factory(), [this] { ++yields; })
    {
        video.setObjectName("Video");
        video.resize(329, 241);  // 4935 x 3615 twips at 15 twips per pixel
        fullScreen.setObjectName("frmfull");
        session.setVideoHost(&video);
        session.setFullScreenHost([this] { return &fullScreen; });
    }

    // The graph calls an action makes.
    QStringList callsOf(const std::function<void()>& action)
    {
        script->calls.clear();
        action();
        return script->calls;
    }
    void open() { ASSERT_TRUE(session.OpenMedia("/v/clip.avi").ok()); }

    ProgramState state;
    FakePlatform fake;
    FakeGraphFactory graphs;
    std::shared_ptr<FakeGraphScript> script = graphs.script;
    ActiveMovieControl session;
    QWidget video;
    QWidget fullScreen;
    int yields = 0;
};

TEST_F(SessionTest, OpenReopenCloseAndFullScreenFollowTheirCallOrders)
{
    script->duration = 12.125;
    QStringList opening = callsOf([&] { open(); });
    opening.removeIf([](const QString& call) { return call.startsWith("get_"); });  // its own
    EXPECT_EQ(opening,
              QStringList({"RenderFile(/v/clip.avi)", "put_Volume(0)", "put_Balance(0)",
                           "put_WindowStyle(100663296)", "put_Left(0)", "put_Top(0)",
                           "put_Width(329)", "put_Height(241)", "put_Owner(Video)", "put_Rate(1)",
                           "Run"}));
    EXPECT_TRUE(session.session().playing);
    EXPECT_EQ(session.GetDuration(), 12.12);
    EXPECT_EQ(yields, 2);  // one in the close, one in the open

    // Silence, size, owner, then the level back unless muted; twice is the same as once.
    state.volumeLevel = 40;
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(callsOf([&] { ASSERT_TRUE(session.SetFullScreen(true, false).ok()); }),
                  QStringList({"put_Volume(-10000)", "put_Width(1920)", "put_Height(1080)",
                               "put_Owner(frmfull)", "put_Volume(-6000)"}));
    EXPECT_TRUE(state.fullScreenActive);
    EXPECT_EQ(callsOf([&] { ASSERT_TRUE(session.SetFullScreen(false, true).ok()); }),
              QStringList({"put_Volume(-10000)", "put_Width(329)", "put_Height(241)",
                           "put_Owner(Video)"}));
    EXPECT_FALSE(state.fullScreenActive);

    // Opening while playing closes the old graph first.
    const auto first = graphs.last;
    EXPECT_EQ(callsOf([&] { (void)session.OpenMedia("/v/b.avi"); }).mid(0, 5),
              kClose + QStringList{"RenderFile(/v/b.avi)"});
    EXPECT_TRUE(graphs.last != first && !first->owner && graphs.last->owner == &video);

    EXPECT_EQ(callsOf([&] { session.CloseMedia(); }), kClose);
    EXPECT_FALSE(session.session().playing || session.hasMedia());
    EXPECT_NE(session.session().graphManager, nullptr);  // kept for the next open
}

TEST_F(SessionTest, PlayRestartsOnlyAtTheEndAndAPausedSessionIgnoresMovesAndStop)
{
    script->duration = 60.0;
    open();
    for (const auto& [at, after] : {std::pair{59.996, 0.0}, std::pair{59.4, 59.4}}) {
        session.PauseMedia();
        graphs.last->position = at;  // 59.996 is the end, to the whole second
        session.PlayMedia();
        EXPECT_EQ(graphs.last->position, after);
    }
    session.PauseMedia();
    EXPECT_TRUE(callsOf([&] {
                    EXPECT_TRUE(session.SetPosition(7.0).ok());
                    session.StopMedia();
                }).isEmpty());
}

// Before any file, and after one that cannot be rendered, no call reaches a graph. OpenMedia
// skips a failing step; pause, stop and close end silently at the first failure; position,
// frame time and full screen pass the failure on.
TEST_F(SessionTest, FailuresFollowEachOperationsPolicy)
{
    const auto noMemory = [](std::size_t) -> unsigned char* { return nullptr; };
    EXPECT_FALSE(session.GetCurrentImage(noMemory).ok());
    script->renderFails = true;
    Status opened;
    EXPECT_EQ(callsOf([&] { opened = session.OpenMedia("/v/text.avi"); }),
              QStringList{"RenderFile(/v/text.avi)"});
    EXPECT_FALSE(opened.ok() || opened.description().isEmpty());
    EXPECT_FALSE(session.session().playing || session.hasMedia());
    EXPECT_TRUE(callsOf([&] {
                    session.PauseMedia();
                    session.SetVolume(-100);
                    EXPECT_FALSE(session.GetCurrentImage(noMemory).ok());
                    EXPECT_FALSE(session.GetTimePerFrame().ok());
                    EXPECT_EQ(session.GetPosition().value(), 0.0);
                }).isEmpty());

    // Sound only, and two more steps failing: the open goes on and plays; the frame time
    // fails, and full screen fails after silencing.
    script->renderFails = false;
    script->hasVideo = false;
    script->failing = {"put_Balance", "get_Duration"};
    open();
    EXPECT_TRUE(session.session().playing && script->calls.endsWith("Run"));
    EXPECT_TRUE(script->calls.contains("put_Owner(Video)"));
    EXPECT_EQ(session.GetDuration(), 0.0);
    EXPECT_FALSE(session.GetTimePerFrame().status().description().isEmpty());
    EXPECT_FALSE(session.SetFullScreen(true, false).ok() || state.fullScreenActive);
    EXPECT_EQ(graphs.last->volume, -10000);

    script->failing = {"Pause", "Stop"};
    session.PauseMedia();
    session.StopMedia();
    EXPECT_TRUE(session.session().playing);
    EXPECT_EQ(callsOf([&] { session.CloseMedia(); }), QStringList{"Stop"});

    script->hasVideo = true;
    script->failing = {"get_CurrentPosition", "put_CurrentPosition", "put_Owner"};
    open();
    EXPECT_FALSE(session.GetPosition().ok());
    EXPECT_NE(session.SetPosition(2.0).number(), 0);
    EXPECT_FALSE(session.SetFullScreen(true, false).ok() || state.fullScreenActive);
}

}  // namespace
