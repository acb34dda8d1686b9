// Help Topics; the shortcut keys from a text box and after a dialog closed; leaving the
// program; what stays out of reach during a bulk run.

#include "MainWindowFixture.h"

#include "dialogs/HomePage.h"

#include <QTimer>

using namespace std::string_literals;

// The help page and the home page go to the shell; when it cannot open them the user is told.
TEST_F(MainWindowTest, HelpTopicsOpensThePageBesideTheProgramOrSaysItIsMissing)
{
    const QString page = folder.filePath(u"help.htm"_s);
    const QString failed = u"Kadrel|Critical|Can not open\n"_s;
    window->mnutopics_Click();
    EXPECT_EQ(takeMessages(fake.messageBox),
              QStringList{u"Kadrel|Critical|Can not find help file, it may be renamed or "
                          "damaged. Try reinstalling the program."_s});
    ASSERT_TRUE(QFile(page).open(QIODevice::WriteOnly));
    window->mnutopics_Click();
    EXPECT_EQ(fake.shell.opened, QStringList{page});
    EXPECT_TRUE(takeMessages(fake.messageBox).isEmpty());

    fake.shell.reply = Status::failure(3001, u"No program"_s);
    window->mnutopics_Click();
    window->Image1_Click();
    const QString why = u"\n\nError 3001: No program"_s;
    EXPECT_EQ(takeMessages(fake.messageBox),
              QStringList({failed + page + why, failed + kHomePage + why}));
}

// Each key sits on one item and reaches it from a text box too (a menu closed with Esc, where
// the menu bar would keep typed letters, is DesktopEndToEnd's).
TEST_F(MainWindowTest, EachKeyRunsOneItemAlsoFromATextBox)
{
    QStringList keys;
    for (const QAction* item : window->findChildren<QAction*>())
        if (!item->shortcut().isEmpty())
            keys << item->shortcut().toString();
    keys.sort();  // a key on two items would run neither
    EXPECT_EQ(keys, QStringList({"Ctrl+C", "Ctrl+F", "Ctrl+G", "Ctrl+I", "Ctrl+M", "Ctrl+O",
                                 "Ctrl+R", "Ctrl+Shift+C", "F1", "F2", "F3", "F4", "F5", "F6",
                                 "F7", "F8", "F9", "Shift+F7", "Shift+F8"}));

    open(u"clip.avi"_s);
    window->capture->txtout->setFocus();  // which would take Ctrl+C as Copy
    press({"Ctrl+M"});
    EXPECT_TRUE(window->mnumute->isChecked());
    press({"Ctrl+C"});
    EXPECT_TRUE(state.loadedFile.isEmpty());
}

// After a dialog the focus is where it was (never a text box) and Ctrl+C closes the media.
TEST_F(MainWindowTest, AfterADialogTheFocusIsBackAndCtrlCCloses)
{
    const std::pair<const char*, const char*> dialogs[] = {
        {"F9", ""}, {"F9", "shot.bmp"}, {"Ctrl+I", ""}};
    for (QWidget* before : QWidgetList{window->cmdstep, window.get()}) {
        for (const auto& [key, reply] : dialogs) {
            SCOPED_TRACE(before->objectName().toStdString() + ", " + key + " " + reply);
            open(u"clip.avi"_s);
            before->setFocus();
            fake.fileDialog.replies = {*reply ? folder.filePath(reply) : QString()};
            press({key});
            for (QWidget* dialog : QApplication::topLevelWidgets())
                if (dialog != window.get() && dialog->isVisible())
                    dialog->close();
            window->activateWindow();  // as the desktop does when the dialog goes
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
            EXPECT_TRUE(window->isEnabled());
            EXPECT_EQ(window->focusWidget(), before);
            press({"Ctrl+C"});
            EXPECT_TRUE(state.loadedFile.isEmpty());
        }
    }
}

// A one-second video for a bulk run; the parameter: a way of leaving ("" for none) and whether
// it comes during the run.
class BulkRun : public MainWindowTest,
                public ::testing::WithParamInterface<std::pair<std::string, bool>> {
protected:
    void SetUp() override
    {
        graphs.script->duration = 1.0;
        open(u"clip.avi"_s);
        window->capture->txtout->setText(folder.filePath(u"out"_s));
    }
    qsizetype written() const
    {
        return QDir(folder.filePath(u"out"_s)).entryList(QDir::Files).size();
    }
};

// During a run the file and media commands and their keys are out of reach until it ends.
// Exit writes no setting; the close box writes the position slider's value, not the volume's.
// During a run either ends the program once the frame in hand is written.
TEST_P(BulkRun, KeepsCommandsOutOfReachAndOnlyTheCloseBoxWritesThePositionSlider)
{
    const auto [way, running] = GetParam();
    const QAction* locked[] = {window->mnuopen, window->mnuclose, window->mnufullscreen,
                               window->mnumute, window->mnucapture, window->mnuprevframe,
                               window->mnunextframe, window->mnugoto, window->mnucopyframe,
                               window->mnucaptureoptions, window->mnucontrol->menuAction(),
                               window->mnutools->menuAction()};
    const auto reachable = [&] {
        window->mnufile_Click();
        QString flags;
        for (const QAction* command : locked)
            flags += command->isEnabled() ? u'1' : u'0';
        return flags;
    };
    const bool exit = way == "exit", left = !way.empty();
    const auto leave = [&] { exit ? window->mnuexit_Click() : void(left && window->close()); };
    window->Slider1->setValue(1);  // the end of the one-second clip
    window->Slider2->setValue(30);
    if (running)
        QTimer::singleShot(0, window.get(), [&] {  // at the run's first yield
            EXPECT_EQ(reachable(), u"000000000000"_s);
            press({"Ctrl+O", "Ctrl+C", "F3", "F8", "Ctrl+F", "Ctrl+M", "F9", "Shift+F8", "Ctrl+G"});
            leave();
            EXPECT_EQ(programEnds, 0);
        });
    running ? window->cmdbulkcapture->click() : leave();
    EXPECT_EQ(programEnds, left ? 1 : 0);
    if (left) {
        EXPECT_LT(written(), running ? 25 : 1);
    }
    EXPECT_EQ(fake.messageBox.messages.size(), left ? 0u : 1u);  // the completion
    const QString setting = running ? u"Settings/volume=0"_s : u"Settings/volume=1"_s;
    EXPECT_EQ(fake.settings.writes, left && !exit ? QStringList{setting} : QStringList());
    if (left)
        return;
    EXPECT_TRUE(state.paused && !state.muted && !state.fullScreenActive && window->isEnabled());
    EXPECT_FALSE(state.loadedFile.isEmpty());
    EXPECT_EQ(fake.fileDialog.calls.size(), 1u);  // only the Open of the set-up
    EXPECT_EQ(written(), 25);
    EXPECT_EQ(reachable(), u"111111111111"_s);
}

INSTANTIATE_TEST_SUITE_P(ExitCloseBoxOrNone, BulkRun,
                         ::testing::Values(std::pair("exit"s, false), std::pair("exit"s, true),
                                           std::pair("close box"s, false),
                                           std::pair("close box"s, true), std::pair(""s, true)));
