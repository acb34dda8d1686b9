// Help Topics, the two ways of leaving the program, and what the window keeps out of reach
// while the capture settings write many frames.

#include "MainWindowFixture.h"

#include "capture/CaptureSettings.h"
#include "dialogs/HomePage.h"

#include <QDir>
#include <QLineEdit>
#include <QTimer>

using namespace kadrel;
using namespace kadrel::test;
using namespace Qt::StringLiterals;

// The help page and the home page (from the logo) go to the shell; when the shell cannot
// open them the user is told why.
TEST_F(MainWindowTest, HelpTopicsOpensThePageBesideTheProgramOrSaysItIsMissing)
{
    const QString page = folder.filePath(u"help.htm"_s);
    const auto told = [&](const char* how, const QString& text) {
        SCOPED_TRACE(how);
        ASSERT_EQ(fake.messageBox.messages.size(), 1u);
        EXPECT_EQ(fake.messageBox.messages[0].text, text);
        EXPECT_EQ(fake.messageBox.messages[0].title, u"Kadrel"_s);
        EXPECT_EQ(fake.messageBox.messages[0].icon, MessageIcon::Critical);
        fake.messageBox.messages.clear();
    };
    window->mnutopics_Click();
    told("missing", u"Can not find help file, it may be renamed or damaged. "
                    "Try reinstalling the program."_s);
    ASSERT_TRUE(QFile(page).open(QIODevice::WriteOnly));
    window->mnutopics_Click();
    EXPECT_EQ(fake.shell.opened, QStringList{page});
    EXPECT_TRUE(fake.messageBox.messages.empty());

    fake.shell.reply = Status::failure(3001, u"No program to open it"_s);
    window->mnutopics_Click();
    told("F1", "Can not open\n" + page + "\n\nError 3001: No program to open it");
    window->Image1_Click();
    told("logo", "Can not open\n" + kHomePage + "\n\nError 3001: No program to open it");
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
        press({"Ctrl+O", "Ctrl+C", "F3", "F8", "Ctrl+F", "Ctrl+M", "F9"});  // all refused
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

class Leaving : public BulkRunTest, public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

// Exit writes no setting; the close box writes the position slider's value, not the volume
// slider's. During a run either ends the program once the frame in hand is written.
TEST_P(Leaving, EndsTheProgramAndOnlyTheCloseBoxWritesThePositionSlider)
{
    const auto [exit, running] = GetParam();
    window->Slider1->setValue(1);  // the end of the one-second clip
    window->Slider2->setValue(30);
    const auto leave = [&] { exit ? window->mnuexit_Click() : void(window->close()); };
    if (running)
        runMeeting([&] {
            leave();
            EXPECT_EQ(programEnds, 0);
        });
    else
        leave();
    EXPECT_EQ(programEnds, 1);
    EXPECT_LT(written(), running ? 25 : 1);
    EXPECT_EQ(fake.messageBox.messages.size(), 0u);
    const QString setting = running ? QStringLiteral("volume=0") : QStringLiteral("volume=1");
    EXPECT_EQ(fake.settings.writes, exit ? QStringList() : QStringList{"Settings/" + setting});
}

INSTANTIATE_TEST_SUITE_P(ExitOrCloseBox, Leaving,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));
