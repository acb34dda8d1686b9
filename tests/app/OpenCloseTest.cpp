// Opening and closing media, and which commands that leaves available.

#include "MainWindowFixture.h"

#include "capture/CaptureSettings.h"

#include <QShortcut>

using namespace kadrel;
using namespace kadrel::test;

namespace {

struct Availability {
    bool cmdcapture, cmdfullscreen, cmdback, cmdseek, cmdbulkcapture, Frame3, mnuinfo,
        mnucapture, mnufullscreen;
};

Availability availability(const frmmain& w)
{
    return {enabledFlag(w.cmdcapture), enabledFlag(w.cmdfullscreen), enabledFlag(w.cmdback),
            enabledFlag(w.cmdseek),    enabledFlag(w.cmdbulkcapture), enabledFlag(w.Frame3),
            w.mnuinfo->isEnabled(),    w.mnucapture->isEnabled(),     w.mnufullscreen->isEnabled()};
}

void expectVideoSet(const frmmain& w)
{
    const Availability a = availability(w);
    EXPECT_TRUE(a.cmdcapture && a.cmdfullscreen && a.cmdback && a.cmdseek && a.cmdbulkcapture
                && a.Frame3 && a.mnuinfo && a.mnucapture && a.mnufullscreen);
    EXPECT_FALSE(enabledFlag(w.cmdnormal));
}

void expectSoundOnlySet(const frmmain& w)
{
    const Availability a = availability(w);
    EXPECT_FALSE(a.cmdcapture || a.cmdfullscreen || a.cmdseek || a.cmdbulkcapture || a.Frame3
                 || a.mnucapture || a.mnufullscreen);
    EXPECT_TRUE(a.cmdback && a.mnuinfo);
    EXPECT_TRUE(enabledFlag(w.cmdnext));
    EXPECT_FALSE(enabledFlag(w.cmdstep));
}

}  // namespace

TEST_F(MainWindowTest, OpenAsksWithItsTitleAndFilterAndShowsTheFileNameInTheCaption)
{
    const QString path = mediaFile(QStringLiteral("clip.avi"));
    open(path);

    ASSERT_EQ(fake.fileDialog.calls.size(), 1u);
    const FileDialogRequest& request = fake.fileDialog.calls[0].request;
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.title, QStringLiteral("Open..."));
    EXPECT_TRUE(request.proposedName.isEmpty());
    ASSERT_EQ(request.nameFilters.size(), 4);
    EXPECT_EQ(request.nameFilters[0],
              QStringLiteral("All Media Files (*.mpg *.mpeg *.m1v *.mp2 *.mpa *.mpe *.mpv2 *.dat "
                             "*.avi *.wmv *.mp3 *.mid *.wav *.m3u *.mp4 *.m4v *.mkv *.webm *.mov "
                             "*.ogv *.flv *.3gp *.ts *.mts)"));
    EXPECT_EQ(request.nameFilters[3], QStringLiteral("All Files (*.*) (*)"));

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kadrel - Video Image Extractor(clip.avi)"));
    EXPECT_EQ(state.selectedFile, path);
    EXPECT_EQ(state.loadedFile, path);
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Playing"));
    EXPECT_EQ(window->Slider1->maximum(), 10);
    EXPECT_EQ(window->capture->frameCount(), 250);
    EXPECT_TRUE(window->cmdplay->isHidden());
    EXPECT_FALSE(window->cmdplay1->isHidden());
    EXPECT_TRUE(enabledFlag(window->cmdplay) && enabledFlag(window->cmdinfo));
    expectVideoSet(*window);
    EXPECT_EQ(graph().owner, window->Video);
    EXPECT_EQ(graph().volume, 0);

    // The next Open proposes the file that is open.
    window->mnuopen_Click();
    EXPECT_EQ(fake.fileDialog.calls.back().request.proposedName, path);
}

TEST_F(MainWindowTest, CancelledOrMissingFileChangesNothing)
{
    window->mnuopen_Click();  // cancelled
    open(folder.filePath(QStringLiteral("gone.avi")));
    EXPECT_EQ(graphs.script->graphsCreated, 0);
    EXPECT_TRUE(window->lblstate->text().isEmpty());
    EXPECT_TRUE(state.selectedFile.isEmpty());
}

TEST_F(MainWindowTest, OpeningTheLoadedFileAgainResumesInsteadOfReopening)
{
    const QString path = mediaFile(QStringLiteral("clip.avi"));
    open(path);
    window->cmdplay1_Click();
    open(path);
    EXPECT_EQ(graphs.script->graphsCreated, 1);
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Playing"));
    EXPECT_FALSE(state.paused);
}

TEST_F(MainWindowTest, DurationRoundsToTheSliderMaximumHalfToEven)
{
    graphs.script->duration = 12.5;
    open(mediaFile(QStringLiteral("a.avi")));
    EXPECT_EQ(window->Slider1->maximum(), 12);
    graphs.script->duration = 13.5;
    open(mediaFile(QStringLiteral("b.avi")));
    EXPECT_EQ(window->Slider1->maximum(), 14);
}

TEST_F(MainWindowTest, SoundOnlyMediaGetsTheSoundSetAlsoAfterAVideo)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    expectVideoSet(*window);

    graphs.script->hasVideo = false;
    open(mediaFile(QStringLiteral("song.wav")));
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Playing"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kadrel - Video Image Extractor(song.wav)"));
    expectSoundOnlySet(*window);
    EXPECT_TRUE(enabledFlag(window->cmdinfo));

    // The refused full-screen request leaves everything as it was.
    window->cmdfullscreen_Click();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, SoundOnlyAsFirstFileOffersInfoButNoFrameCommands)
{
    graphs.script->hasVideo = false;
    open(mediaFile(QStringLiteral("song.wav")));
    expectSoundOnlySet(*window);
    EXPECT_EQ(window->capture->frameCount(), 0);
}

TEST_F(MainWindowTest, UnrenderableFileIsReportedAndLeavesNoMedia)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    graphs.script->renderFails = true;
    const QString bad = mediaFile(QStringLiteral("notes.avi"));
    open(bad);

    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    const RecordedMessage& message = fake.messageBox.messages[0];
    EXPECT_EQ(message.title, QStringLiteral("Kadrel"));
    EXPECT_TRUE(message.text.contains(bad));
    EXPECT_TRUE(message.text.contains(QStringLiteral("Cannot render the file")));
    EXPECT_EQ(message.icon, MessageIcon::Critical);

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kadrel - Video Image Extractor"));
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Closed"));
    EXPECT_TRUE(state.loadedFile.isEmpty());
    EXPECT_TRUE(state.selectedFile.isEmpty());
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_FALSE(enabledFlag(window->cmdplay));
    EXPECT_FALSE(window->cmdplay->isHidden());
    EXPECT_FALSE(enabledFlag(window->cmdcapture));
    window->mnufile_Click();
    EXPECT_FALSE(window->mnuclose->isEnabled());
}

TEST_F(MainWindowTest, CloseReturnsToTheNoMediaSet)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    window->Slider1->setValue(6);
    window->mnucontrol_Click();
    window->mnufile_Click();
    EXPECT_TRUE(window->mnuclose->isEnabled());
    takeCalls();

    window->mnuclose_Click();
    EXPECT_EQ(takeCalls().mid(0, 2), QStringList({"Pause", "Stop"}));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kadrel - Video Image Extractor"));
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Closed"));
    EXPECT_TRUE(state.paused);
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_FALSE(window->cmdplay->isHidden());
    EXPECT_FALSE(enabledFlag(window->cmdplay));
    EXPECT_FALSE(enabledFlag(window->cmdplay1));
    EXPECT_FALSE(enabledFlag(window->Slider1));
    EXPECT_EQ(window->Slider1->value(), 0);
    EXPECT_FALSE(enabledFlag(window->Frame3));
    EXPECT_FALSE(enabledFlag(window->cmdinfo));
    EXPECT_FALSE(window->mnuinfo->isEnabled());
    EXPECT_EQ(graph().owner, nullptr);

    // The File menu follows the loaded media; the Controls menu keeps its last states.
    window->mnufile_Click();
    EXPECT_FALSE(window->mnuclose->isEnabled());
    window->mnucontrol_Click();
    EXPECT_FALSE(window->mnuplay->isEnabled());
    EXPECT_TRUE(window->mnupause->isEnabled());
    EXPECT_TRUE(window->mnulast->isEnabled());
}

TEST_F(MainWindowTest, ControlsMenuFollowsTheTransportButtons)
{
    window->mnucontrol_Click();  // no media: nothing changes
    EXPECT_FALSE(window->mnupause->isEnabled());

    open(mediaFile(QStringLiteral("clip.avi")));
    window->mnucontrol_Click();
    EXPECT_FALSE(window->mnuplay->isEnabled());
    EXPECT_TRUE(window->mnupause->isEnabled());
    for (QAction* move : {window->mnufirst, window->mnulast, window->mnuback, window->mnuforward})
        EXPECT_TRUE(move->isEnabled());

    window->cmdplay1_Click();
    window->mnucontrol_Click();
    EXPECT_TRUE(window->mnuplay->isEnabled());
    EXPECT_FALSE(window->mnupause->isEnabled());

    graphs.script->hasVideo = false;
    open(mediaFile(QStringLiteral("song.wav")));
    window->mnucontrol_Click();
    EXPECT_TRUE(window->mnufirst->isEnabled());
    EXPECT_TRUE(window->mnulast->isEnabled());
    EXPECT_FALSE(window->mnuback->isEnabled());
    EXPECT_FALSE(window->mnuforward->isEnabled());
}

TEST_F(MainWindowTest, ShortcutBringsItsMenuUpToDateBeforeRunning)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    // Pause has never been offered by a dropped-down menu, yet F4 pauses.
    ASSERT_FALSE(window->mnupause->isEnabled());
    QShortcut* pause = nullptr;
    for (QShortcut* key : window->findChildren<QShortcut*>())
        if (key->key() == QKeySequence(Qt::Key_F4))
            pause = key;
    ASSERT_NE(pause, nullptr);
    emit pause->activated();
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Paused"));

    // Now the menu offers Play only: a second F4 does nothing.
    emit pause->activated();
    EXPECT_TRUE(state.paused);
    EXPECT_FALSE(window->mnupause->isEnabled());
}
