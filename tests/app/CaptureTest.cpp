// Saving the frame on show from the main window.

#include "MainWindowFixture.h"

#include <QFileInfo>

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
