#pragma once
// A main window on the recording desktop services and the recording filter graph (or the
// FFmpeg engine). The position timer never fires by itself: tests tick it with Timer1_Timer.

#include "app/frmmain.h"
#include "support/FakeGraph.h"
#include "support/FakePlatform.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <utility>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }
inline void PrintTo(QLatin1String text, std::ostream* out) { PrintTo(QString(text), out); }

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

    // The graph's calls since the last look, without the queries.
    QString takeEffects()
    {
        QStringList kept;
        for (const QString& call : std::exchange(graphs.script->calls, {}))
            if (!call.startsWith(QStringLiteral("get_")))
                kept << call;
        return kept.join(u' ');
    }

    // 1 or 0 per command: play, pause, info, position | first, last, back, forward | capture,
    // full screen, normal size, bulk capture, Frame3 | Close, Info, Capture, Full Screen.
    QString available()
    {
        const frmmain& w = *window;
        window->mnufile_Click();
        QString flags;
        using Controls = std::initializer_list<const QWidget*>;
        for (const QWidget* control :
             Controls{w.cmdplay, w.cmdplay1, w.cmdinfo, w.Slider1, w.cmdback, w.cmdnext, w.cmdseek,
                      w.cmdstep, w.cmdcapture, w.cmdfullscreen, w.cmdnormal, w.cmdbulkcapture,
                      w.Frame3})
            flags += enabledFlag(control) ? u'1' : u'0';
        for (const QAction* item : {w.mnuclose, w.mnuinfo, w.mnucapture, w.mnufullscreen})
            flags += item->isEnabled() ? u'1' : u'0';
        return flags.insert(13, u' ').insert(8, u' ').insert(4, u' ');
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
