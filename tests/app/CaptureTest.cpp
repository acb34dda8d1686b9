// Saving the frame on show, and what the window keeps out of reach while the capture
// settings write many frames.

#include "MainWindowFixture.h"

#include "capture/CaptureSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>

using namespace kadrel;
using namespace kadrel::test;

TEST_F(MainWindowTest, CapturePausesAsksAndWritesOrSaysWhyNotUnlessCancelled)
{
    open(QStringLiteral("clip.avi"));
    bool pausedDuringDialog = false;
    fake.fileDialog.duringDialog = [&] {
        pausedDuringDialog = state.paused;
        fake.clock.ticks += 1000;  // the user's time to choose
    };
    const struct { const char *reply, *reason; qint64 size; } rows[] = {
        {"shot.bmp", nullptr, 54 + 4 * 32 * 24},
        {"", nullptr, 0},  // cancelled: silent
        {"missing/shot.bmp", "No such file or directory", 0},
        {"none.bmp", "GetCurrentImage failed", 0}};  // the renderer gives no picture
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply);
        if (row.reason && QLatin1String(row.reason).startsWith(u"GetCurrentImage"))
            graphs.script->failing << QStringLiteral("GetCurrentImage");
        const QString path = *row.reply ? folder.filePath(QLatin1String(row.reply)) : QString();
        fake.fileDialog.replies = {path};
        fake.messageBox.messages.clear();
        window->cmdcapture_Click();

        EXPECT_TRUE(pausedDuringDialog);
        EXPECT_TRUE(state.paused);
        EXPECT_EQ(QFileInfo(path).size(), row.size);
        ASSERT_EQ(fake.messageBox.messages.size(), row.reason ? 1u : 0u);
        for (const RecordedMessage& message : fake.messageBox.messages)
            EXPECT_TRUE(message.title == QStringLiteral("Kadrel") && message.text.contains(path)
                        && message.text.contains(row.reason))
                << message.text.toStdString();
    }
    const RecordedDialog& dialog = fake.fileDialog.calls.back();
    EXPECT_FALSE(dialog.ownerEnabledDuringDialog);
    EXPECT_TRUE(dialog.request.save);
    EXPECT_EQ(dialog.request.title, QStringLiteral("Save Frame As..."));
    EXPECT_EQ(dialog.request.nameFilters, QStringList{"Bitmap Files (*.bmp) (*.bmp)"});
    EXPECT_EQ(dialog.request.defaultSuffix, QStringLiteral("bmp"));
}

class BulkRunTest : public MainWindowTest {
protected:
    // A one-second video: 25 frames.
    void SetUp() override
    {
        graphs.script->duration = 1.0;
        open(QStringLiteral("clip.avi"));
        window->capture->txtout->setText(folder.filePath(QStringLiteral("out")));
    }

    qsizetype written() const
    {
        return QDir(folder.filePath(QStringLiteral("out"))).entryList(QDir::Files).size();
    }

    // Runs, with during called at the run's first yield.
    void runMeeting(std::function<void()> during)
    {
        QTimer::singleShot(0, window.get(), std::move(during));
        window->cmdbulkcapture->click();
    }
};

TEST_F(BulkRunTest, OpenCloseControlsAndToolsAreOutOfReachWhileItRuns)
{
    const std::vector<QAction*> locked{window->mnuopen,       window->mnuclose,
                                       window->mnufullscreen, window->mnumute,
                                       window->mnucapture,    window->mnucontrol->menuAction(),
                                       window->mnutools->menuAction()};
    runMeeting([&] {
        window->mnufile_Click();
        for (QAction* command : locked)
            EXPECT_FALSE(command->isEnabled()) << command->objectName().toStdString();
        for (QShortcut* key : window->findChildren<QShortcut*>())  // all refused
            if (QStringList{"Ctrl+O", "Ctrl+C", "F3", "F8", "Ctrl+F", "Ctrl+M", "F9"}.contains(
                    key->key().toString()))
                emit key->activated();
    });
    EXPECT_TRUE(state.paused && !state.muted && !state.fullScreenActive);
    EXPECT_FALSE(state.loadedFile.isEmpty());
    EXPECT_EQ(fake.fileDialog.calls.size(), 1u);  // only the Open of the set-up
    EXPECT_EQ(written(), 25);
    EXPECT_EQ(fake.messageBox.messages.size(), 1u);  // the completion
    window->mnufile_Click();
    for (QAction* command : locked)
        EXPECT_TRUE(command->isEnabled()) << command->objectName().toStdString();
}

class LeavingDuringARun : public BulkRunTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LeavingDuringARun, EndsTheProgramOnceTheFrameInHandIsWritten)
{
    const bool exit = GetParam();
    runMeeting([&] {
        exit ? window->mnuexit_Click() : void(window->close());
        EXPECT_EQ(programEnds, 0);
    });
    EXPECT_EQ(programEnds, 1);
    EXPECT_LT(written(), 25);
    EXPECT_TRUE(fake.messageBox.messages.empty());
    // Exit writes no setting; the close box writes it, after the run.
    EXPECT_EQ(fake.settings.writes, exit ? QStringList() : QStringList{"Settings/volume=0"});
}

INSTANTIATE_TEST_SUITE_P(ExitOrCloseBox, LeavingDuringARun, ::testing::Bool());
