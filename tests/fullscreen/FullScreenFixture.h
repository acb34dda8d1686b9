#pragma once
// One program's worth of full-screen mode on fakes: the recording graph under a real media
// session, the main window's stand-in, the platform's recorders (a 1920 x 1080 screen at
// 15 twips per pixel, a cursor at (100, 100)). Yields only count; timers are driven by
// calling their handlers.

#include "FakeMainWindow.h"
#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"
#include "fullscreen/frmfull.h"
#include "support/FakeGraph.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QSlider>
#include <QWidget>

namespace kadrel::test {

class FullScreenFixture : public ::testing::Test {
protected:
    FullScreenFixture()
        : movie(state, fake.screen, graphs.factory(), [this] { ++yields; }),
          main(state, movie, graphs.script->calls),
          mode(state, movie, fake.platform(), main, [this] { ++yields; })
    {
        video.setObjectName(QStringLiteral("Video"));
        video.resize(329, 241);
        movie.setVideoHost(&video);
        movie.setFullScreenHost(mode.hostLoader());
    }

    ~FullScreenFixture() override
    {
        flushDeletes();
    }

    // A 10-second video open, playing at 3 s, with the main window in its playing state.
    void openPlaying(int position = 3)
    {
        ASSERT_TRUE(movie.OpenMedia(QStringLiteral("/v/clip.avi")).ok());
        graphs.last->position = position;
        main.playing(10, position);
        clearCalls();
    }
    void openPaused(int position = 3)
    {
        openPlaying(position);
        movie.PauseMedia();
        main.paused(10, position);
        clearCalls();
    }
    void enter()
    {
        ASSERT_TRUE(mode.enter().ok());
    }

    frmfull& full() { return mode.frmfull(); }
    frmcontrol& panel() { return mode.frmcontrol(); }
    QStringList calls() const { return graphs.script->calls; }
    void clearCalls() { graphs.script->calls.clear(); }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // The cursor moves by (dx, dy) and the watch ticks once.
    void moveCursor(int dx, int dy)
    {
        fake.cursor.position += QPoint(dx, dy);
        full().Timer3_Timer();
    }

    ProgramState state;
    FakePlatform fake;
    FakeGraphFactory graphs;
    QWidget video;  // the main window's picture box
    ActiveMovieControl movie;
    FakeMainWindow main;
    FullScreenMode mode;
    int yields = 0;
};

}  // namespace kadrel::test
