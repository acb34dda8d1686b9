#pragma once
// The program state, the desktop's recorders and a media session on the recording graphs (or
// on the engine a test brings); windows closed in a test are deleted at its end.

#include "media/ActiveMovieControl.h"
#include "support/FakeGraph.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace kadrel::test {

class SessionFixture : public ::testing::Test {
protected:
    explicit SessionFixture(GraphFactory engine = {}, ActiveMovieControl::Yield yield = {})
        : movie(state, fake.screen, engine ? std::move(engine) : graphs.factory(),
                std::move(yield))
    {
    }
    ~SessionFixture() override { flushDeletes(); }

    static void flushDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    FakeGraph& graph() { return *graphs.last; }

    ProgramState state;
    FakePlatform fake;
    FakeGraphFactory graphs;
    ActiveMovieControl movie;
};

}  // namespace kadrel::test
