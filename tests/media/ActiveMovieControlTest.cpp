// The session's user-visible policies, on a recording fake of the graph.

#include "support/SessionFixture.h"

using namespace kadrel;
using namespace kadrel::test;

namespace {

class SessionTest : public SessionFixture {
protected:
    SessionTest() : SessionFixture({}, [this] { ++yields; })
    {
        video.setObjectName("Video");
        movie.setVideoHost(&video);
        movie.setFullScreenHost([this] { return &fullScreen; });
    }

    QStringList callsOf(const std::function<void()>& action)
    {
        script->calls.clear();
        action();
        return script->calls;
    }
    void open() { ASSERT_TRUE(movie.OpenMedia("/v/clip.avi").ok()); }

    std::shared_ptr<FakeGraphScript> script = graphs.script;
    QWidget video;
    QWidget fullScreen;
    int yields = 0;
};

// Opening plays at once; opening again first closes the old file and parks its window far
// off screen, and the next graph keeps tone mapping off; the graph manager outlives a close.
TEST_F(SessionTest, OpenPlaysAndReopeningClosesTheOldFile)
{
    script->duration = 12.125;
    open();
    EXPECT_TRUE(movie.session().playing && script->calls.endsWith("Run"));
    EXPECT_EQ(movie.GetDuration(), 12.12);
    EXPECT_EQ(yields, 2);  // one in the close, one in the open
    const auto first = graphs.last;
    ASSERT_TRUE(movie.SetToneMapping(false).ok() && !first->toneMapping);
    EXPECT_EQ(callsOf([&] { (void)movie.OpenMedia("/v/b.avi"); }).mid(0, 3),
              QStringList({"Stop", "put_Left(230400)", "put_Height(129600)"}));
    EXPECT_TRUE(graphs.last != first && !first->owner && graphs.last->owner == &video);
    EXPECT_FALSE(graphs.last->toneMapping);
    movie.CloseMedia();
    EXPECT_FALSE(movie.session().playing || movie.hasMedia());
    EXPECT_NE(movie.session().graphManager, nullptr);
}

TEST_F(SessionTest, PlayRestartsOnlyAtTheEndAndAPausedSessionIgnoresMovesAndStop)
{
    script->duration = 60.0;
    open();
    for (const auto& [at, after] : {std::pair{59.996, 0.0}, std::pair{59.4, 59.4}}) {
        movie.PauseMedia();
        graphs.last->position = at;  // 59.996 is the end, to the whole second
        movie.PlayMedia();
        EXPECT_EQ(graphs.last->position, after);
    }
    movie.PauseMedia();
    EXPECT_TRUE(callsOf([&] {
                    EXPECT_TRUE(movie.SetPosition(7.0).ok());
                    movie.StopMedia();
                }).isEmpty());
}

// Before any file, and after one that cannot be rendered, no call reaches a graph. OpenMedia
// skips a failing step; pause, stop and close end silently at the first failure; position,
// frame time and full screen pass the failure on.
TEST_F(SessionTest, FailuresFollowEachOperationsPolicy)
{
    const auto noMemory = [](std::size_t) -> unsigned char* { return nullptr; };
    EXPECT_FALSE(movie.GetCurrentImage(noMemory).ok());
    script->renderFails = true;
    Status opened;
    EXPECT_EQ(callsOf([&] { opened = movie.OpenMedia("/v/text.avi"); }),
              QStringList{"RenderFile(/v/text.avi)"});
    EXPECT_FALSE(opened.ok() || opened.description().isEmpty());
    EXPECT_FALSE(movie.session().playing || movie.hasMedia());
    EXPECT_TRUE(callsOf([&] {
                    movie.PauseMedia();
                    movie.SetVolume(-100);
                    EXPECT_FALSE(movie.GetCurrentImage(noMemory).ok());
                    EXPECT_FALSE(movie.GetTimePerFrame().ok());
                    EXPECT_EQ(movie.GetPosition().value(), 0.0);
                }).isEmpty());

    // Sound only with two failing steps: it plays; frame time and full screen fail.
    script->renderFails = false;
    script->hasVideo = false;
    script->failing = {"put_Balance", "get_Duration"};
    open();
    EXPECT_TRUE(movie.session().playing && script->calls.endsWith("Run"));
    EXPECT_TRUE(script->calls.contains("put_Owner(Video)"));
    EXPECT_EQ(movie.GetDuration(), 0.0);
    EXPECT_FALSE(movie.GetTimePerFrame().status().description().isEmpty());
    EXPECT_FALSE(movie.SetFullScreen(true, false).ok() || state.fullScreenActive);
    EXPECT_EQ(graphs.last->volume, -10000);

    script->failing = {"Pause", "Stop"};
    movie.PauseMedia();
    movie.StopMedia();
    EXPECT_TRUE(movie.session().playing);
    EXPECT_EQ(callsOf([&] { movie.CloseMedia(); }), QStringList{"Stop"});

    script->hasVideo = true;
    script->failing = {"get_CurrentPosition", "put_CurrentPosition", "put_Owner"};
    open();
    EXPECT_FALSE(movie.GetPosition().ok());
    EXPECT_NE(movie.SetPosition(2.0).number(), 0);
    EXPECT_FALSE(movie.SetFullScreen(true, false).ok() || state.fullScreenActive);
}

}  // namespace
