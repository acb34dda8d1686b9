#pragma once
// A main window on the recording desktop services and the recording filter graph (or the
// FFmpeg engine). The position timer never fires by itself: tests tick it with Timer1_Timer.

#include "app/frmmain.h"
#include "capture/CaptureSettings.h"
#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"
#include "support/Messages.h"
#include "support/SessionFixture.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>

namespace kadrel::test {

class MainWindowTest : public SessionFixture {
protected:
    explicit MainWindowTest(GraphFactory engine = {}) : SessionFixture(std::move(engine))
    {
        window = std::make_unique<frmmain>(fake.platform(), state, movie);
        window->setProgramEnd([this] { ++programEnds; });
        window->setProgramFolder(folder.path());
        window->Timer1.setInterval(24 * 3600 * 1000);
        window->Form_Load();
        window->show();
        window->activateWindow();  // shortcut keys reach the active window only
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

    // The index the frame saved through Save Frame As under name carries.
    int saveFrameAs(const QString& name)
    {
        fake.fileDialog.replies = {folder.filePath(name)};
        window->cmdcapture_Click();
        return frameIndexFromImageFile(folder.filePath(name));
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

    QTemporaryDir folder;
    std::unique_ptr<frmmain> window;
    int programEnds = 0;
};

}  // namespace kadrel::test

using namespace kadrel;
using namespace kadrel::test;
using namespace Qt::StringLiterals;
