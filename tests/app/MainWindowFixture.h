#pragma once
// A main window on the recording fakes: the desktop services and a fake filter graph. The
// position timer never fires by itself; tests tick it by calling Timer1_Timer.

#include "app/frmmain.h"
#include "support/FakeGraph.h"
#include "support/FakePlatform.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace kadrel::test {

// Far beyond any test's run time.
inline constexpr int kTimerNeverFires = 24 * 3600 * 1000;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        movie = std::make_unique<ActiveMovieControl>(state, fake.screen, graphs.factory());
        window = std::make_unique<frmmain>(fake.platform(), state, *movie);
        window->setProgramEnd([this] { ++programEnds; });
        window->setProgramFolder(folder.path());
        window->Timer1->setInterval(kTimerNeverFires);
        window->Form_Load();
        window->show();
    }

    ~MainWindowTest() override
    {
        window.reset();
        movie.reset();
    }

    // An existing file the fake graph "renders".
    QString mediaFile(const QString& name)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }

    // Opens a file through the Open dialog, as the user would.
    void open(const QString& path)
    {
        fake.fileDialog.replies.push_back(path);
        window->mnuopen_Click();
    }

    // Opens a file and pauses at the start.
    void openPaused(const QString& name = QStringLiteral("clip.avi"))
    {
        open(mediaFile(name));
        window->cmdplay1_Click();
    }

    // The graph's calls since the last look.
    QStringList takeCalls()
    {
        QStringList calls = graphs.script->calls;
        graphs.script->calls.clear();
        return calls;
    }

    FakeGraph& graph() { return *graphs.last; }

    QTemporaryDir folder;
    FakePlatform fake;
    FakeGraphFactory graphs;
    ProgramState state;
    std::unique_ptr<ActiveMovieControl> movie;
    std::unique_ptr<frmmain> window;
    int programEnds = 0;
};

}  // namespace kadrel::test
