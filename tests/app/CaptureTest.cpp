// Saving the frame on show from the main window, and what the window keeps out of reach
// while the capture settings write many frames.

#include "MainWindowFixture.h"

#include "capture/CaptureSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>

using namespace kadrel;
using namespace kadrel::test;

TEST_F(MainWindowTest, CapturePausesFirstThenAsksAndWritesTheBitmap)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    bool pausedDuringDialog = false;
    QString stateDuringDialog;
    fake.fileDialog.duringDialog = [&] {
        pausedDuringDialog = state.paused;
        stateDuringDialog = window->lblstate->text();
        fake.clock.ticks += 1000;
    };
    const QString path = folder.filePath(QStringLiteral("shot.bmp"));
    fake.fileDialog.replies = {path};
    window->mnucapture_Click();

    EXPECT_TRUE(pausedDuringDialog);
    EXPECT_EQ(stateDuringDialog, QStringLiteral("Paused"));
    ASSERT_EQ(fake.fileDialog.calls.size(), 2u);  // the Open dialog, then this one
    const FileDialogRequest& request = fake.fileDialog.calls[1].request;
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.title, QStringLiteral("Save Frame As..."));
    EXPECT_EQ(request.nameFilters, QStringList{"Bitmap Files (*.bmp) (*.bmp)"});
    EXPECT_TRUE(request.proposedName.isEmpty());
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("bmp"));
    EXPECT_TRUE(request.initialFolder.isEmpty());
    EXPECT_FALSE(fake.fileDialog.calls[1].ownerEnabledDuringDialog);

    EXPECT_EQ(QFileInfo(path).size(), 54 + 4 * 32 * 24);
    EXPECT_TRUE(fake.messageBox.messages.empty());
    EXPECT_TRUE(state.paused);
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(MainWindowTest, CaptureButtonDoesWhatTheMenuItemDoesWithoutPausingTwice)
{
    openPaused();
    takeCalls();
    const QString path = folder.filePath(QStringLiteral("button.bmp"));
    fake.fileDialog.replies = {path};
    window->cmdcapture_Click();
    EXPECT_FALSE(takeCalls().contains(QStringLiteral("Pause")));
    EXPECT_EQ(QFileInfo(path).size(), 54 + 4 * 32 * 24);
}

TEST_F(MainWindowTest, CancelledCaptureWritesNothingAndStaysPaused)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    window->mnucapture_Click();
    EXPECT_TRUE(state.paused);
    EXPECT_TRUE(fake.messageBox.messages.empty());
    EXPECT_FALSE(takeCalls().join(' ').contains(QStringLiteral("GetCurrentImage")));
}

TEST_F(MainWindowTest, FailedWriteNamesThePathAndTheReason)
{
    openPaused();
    const QString path = folder.filePath(QStringLiteral("missing/shot.bmp"));
    fake.fileDialog.replies = {path};
    window->mnucapture_Click();

    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    const RecordedMessage& message = fake.messageBox.messages[0];
    EXPECT_EQ(message.title, QStringLiteral("Kadrel"));
    EXPECT_TRUE(message.text.contains(path));
    EXPECT_TRUE(message.text.contains(QStringLiteral("No such file or directory")));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(state.paused);
}

TEST_F(MainWindowTest, RendererWithoutPictureIsReportedToo)
{
    openPaused();
    graphs.script->failing.insert(QStringLiteral("GetCurrentImage"));
    fake.fileDialog.replies = {folder.filePath(QStringLiteral("none.bmp"))};
    window->mnucapture_Click();
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_TRUE(fake.messageBox.messages[0].text.contains(QStringLiteral("GetCurrentImage failed")));
}

namespace {

QShortcut* shortcutFor(frmmain& window, const QKeySequence& key)
{
    for (QShortcut* shortcut : window.findChildren<QShortcut*>())
        if (shortcut->key() == key)
            return shortcut;
    return nullptr;
}

}  // namespace

class BulkRunTest : public MainWindowTest {
protected:
    // A one-second video: 25 frames.
    void SetUp() override
    {
        graphs.script->duration = 1.0;
        open(mediaFile(QStringLiteral("clip.avi")));
        window->capture->txtout->setText(out());
    }

    QString out() const { return folder.filePath(QStringLiteral("out")); }
    qsizetype written() const { return QDir(out()).entryList(QDir::Files).size(); }

    // Starts a run that meets during at its first yield.
    void runMeeting(std::function<void()> during)
    {
        QTimer::singleShot(0, window.get(), std::move(during));
        window->cmdbulkcapture->click();
    }
};

TEST_F(BulkRunTest, OpenCloseControlsAndToolsAreOutOfReachWhileItRuns)
{
    bool met = false;
    runMeeting([&] {
        met = true;
        for (QAction* command : {window->mnuopen, window->mnuclose, window->mnuplay,
                                 window->mnucontrol->menuAction(), window->mnutools->menuAction(),
                                 window->mnufullscreen, window->mnumute})
            EXPECT_FALSE(command->isEnabled()) << command->objectName().toStdString();
        window->mnufile_Click();
        EXPECT_FALSE(window->mnuclose->isEnabled());
        emit shortcutFor(*window, QKeySequence(Qt::Key_F3))->activated();
        emit shortcutFor(*window, QKeySequence(Qt::CTRL | Qt::Key_O))->activated();
        emit shortcutFor(*window, QKeySequence(Qt::CTRL | Qt::Key_M))->activated();
        EXPECT_TRUE(state.paused);
        EXPECT_FALSE(window->mnumute->isChecked());
        EXPECT_FALSE(enabledFlag(window->Frame1));
        EXPECT_FALSE(enabledFlag(window->cmdcapture));
    });

    EXPECT_TRUE(met);
    EXPECT_EQ(fake.fileDialog.calls.size(), 1u);  // only the Open of the fixture
    EXPECT_EQ(written(), 25);
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages[0].title, QStringLiteral("Cinevra"));
    for (QAction* command : {window->mnuopen, window->mnucontrol->menuAction(),
                             window->mnutools->menuAction(), window->mnufullscreen,
                             window->mnumute, window->mnucapture})
        EXPECT_TRUE(command->isEnabled()) << command->objectName().toStdString();
    EXPECT_TRUE(enabledFlag(window->Frame1));
    EXPECT_TRUE(enabledFlag(window->cmdcapture));
    window->mnufile_Click();
    EXPECT_TRUE(window->mnuclose->isEnabled());
}

TEST_F(BulkRunTest, ExitDuringARunEndsTheProgramWhenTheFrameInHandIsWritten)
{
    runMeeting([&] {
        window->mnuexit_Click();
        EXPECT_EQ(programEnds, 0);
    });
    EXPECT_EQ(programEnds, 1);
    EXPECT_LT(written(), 25);
    EXPECT_TRUE(fake.messageBox.messages.empty());
    EXPECT_TRUE(fake.settings.writes.isEmpty());
}

TEST_F(BulkRunTest, CloseBoxDuringARunClosesAndWritesTheSettingAfterIt)
{
    runMeeting([&] {
        window->close();
        EXPECT_TRUE(window->isVisible());
    });
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(fake.settings.writes, QStringList{"Settings/volume=0"});
    EXPECT_LT(written(), 25);
}
