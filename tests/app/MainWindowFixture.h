#pragma once
// A main window on the recording desktop services and the recording filter graph (or the
// FFmpeg engine). The position timer never fires by itself: tests tick it with Timer1_Timer.

#include "app/frmmain.h"
#include "support/FakeGraph.h"
#include "support/FakePlatform.h"
#include "support/QtPrinting.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace kadrel::test {

class MainWindowTest : public ::testing::Test {
protected:
    explicit MainWindowTest(GraphFactory factory = {})
        : movie(state, fake.screen, factory ? std::move(factory) : graphs.factory())
    {
        window = std::make_unique<frmmain>(fake.platform(), state, movie);
        window->setProgramEnd([this] { ++programEnds; });
        window->setProgramFolder(folder.path());
        window->Timer1->setInterval(24 * 3600 * 1000);
        window->Form_Load();
        window->show();
        // Shortcut keys reach the active window only.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Opens a file of the test's folder through the Open dialog, made empty if missing.
    void open(const QString& name)
    {
        const QString path = folder.filePath(name);
        if (QFile file(path); !file.exists())
            file.open(QIODevice::WriteOnly);
        fake.fileDialog.replies.push_back(path);
        window->mnuopen_Click();
    }

    // Presses each key on the control with the focus (the window when none has it).
    void press(const QStringList& keys)
    {
        for (const QString& key : keys) {
            const QKeyCombination combination = QKeySequence(key)[0];
            QWidget* target = window->focusWidget() ? window->focusWidget() : window.get();
            QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
        }
    }

    // The graph's calls since the last look, without the queries.
    QString takeEffects()
    {
        QStringList kept;
        for (const QString& call : std::exchange(graphs.script->calls, {}))
            if (!call.startsWith(QStringLiteral("get_")))
                kept << call;
        return kept.join(u' ');
    }

    FakeGraph& graph() { return *graphs.last; }

    QTemporaryDir folder;
    FakePlatform fake;
    FakeGraphFactory graphs;
    ProgramState state;
    ActiveMovieControl movie;
    std::unique_ptr<frmmain> window;
    int programEnds = 0;
};

}  // namespace kadrel::test
