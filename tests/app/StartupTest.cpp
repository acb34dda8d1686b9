// The main window as it starts: layout, menus, what responds; Help, the logo and the two ways
// of leaving the program.

#include "MainWindowFixture.h"

#include "dialogs/HomePage.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmTip.h"
#include "dialogs/frminfo.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>

using namespace kadrel;
using namespace kadrel::test;

TEST_F(MainWindowTest, LayoutIsAtItsTwipsPositionsAtFifteenTwipsPerPixel)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kadrel - Video Image Extractor"));
    EXPECT_EQ(window->centralWidget()->size(), QSize(693, 355));
    EXPECT_EQ(window->Video->geometry(), QRect(8, 8, 329, 241));
    EXPECT_EQ(window->Image1->geometry(), QRect(16, 72, 300, 82));
    EXPECT_EQ(window->Frame1->geometry(), QRect(16, 248, 313, 105));
    EXPECT_EQ(window->Frame3->geometry(), QRect(344, 8, 345, 353));
    EXPECT_EQ(window->Frame3->title(), QStringLiteral("Capture Settings"));
    EXPECT_EQ(window->cmdplay->geometry(), QRect(8, 16, 25, 25));
    EXPECT_EQ(window->cmdplay1->geometry(), QRect(9, 17, 25, 25));
    EXPECT_EQ(window->Slider1->geometry(), QRect(38, 18, 211, 29));
    EXPECT_EQ(window->cmdmute->geometry(), window->cmdmute1->geometry());
    EXPECT_EQ(window->Slider2->geometry(), QRect(196, 73, 78, 26));
    EXPECT_EQ(window->Timer1->interval(), kTimerNeverFires);  // 1000 ms until the fixture
    EXPECT_TRUE(window->Timer1->isActive());
}

TEST(MainWindowAlone, PositionTimerTicksEverySecondFromTheStart)
{
    FakePlatform fake;
    FakeGraphFactory graphs;
    ProgramState state;
    ActiveMovieControl movie(state, fake.screen, graphs.factory());
    frmmain window(fake.platform(), state, movie);
    EXPECT_EQ(window.Timer1->interval(), 1000);
    EXPECT_TRUE(window.Timer1->isActive());
    EXPECT_EQ(window.Slider1->minimum(), 0);
    EXPECT_EQ(window.Slider1->maximum(), 10);
    EXPECT_EQ(window.Slider2->value(), 100);
    EXPECT_EQ(window.Slider2->tickPosition(), QSlider::NoTicks);
}

TEST_F(MainWindowTest, MenusCarryTheirCaptionsShortcutsAndMarks)
{
    QStringList titles;
    for (QAction* menu : window->menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, QStringList({"&File", "&Controls", "&Tools", "&Help"}));

    const auto items = [](QMenu* menu) {
        QStringList texts;
        for (QAction* item : menu->actions())
            texts << (item->isSeparator() ? QStringLiteral("-")
                                          : item->text() + QLatin1Char('|')
                                                + item->shortcut().toString());
        return texts;
    };
    EXPECT_EQ(items(window->mnufile),
              QStringList({"&Open|Ctrl+O", "&Close|Ctrl+C", "-", "&Info...|Ctrl+I", "-", "E&xit|"}));
    EXPECT_EQ(items(window->mnucontrol),
              QStringList({"&Play|F3", "Pa&use|F4", "-", "Move to &First|F5", "Move to &Last|F6",
                           "-", "One Frame &Backward|F7", "One Frame &Forward|F8"}));
    EXPECT_EQ(items(window->mnutools),
              QStringList({"Full &Screen|Ctrl+F", "-", "&Repeat|Ctrl+R", "&Mute|Ctrl+M", "-",
                           "Capture Current &Frame|F9"}));
    EXPECT_EQ(items(window->mnuhelp),
              QStringList({"&Help Topics|F1", "Tip of The &Day|", "-",
                           "&About Kadrel - Video Image Extractor...|F2"}));
    EXPECT_TRUE(window->mnurepeat->isChecked());
    EXPECT_FALSE(window->mnumute->isChecked());
}

TEST_F(MainWindowTest, AtStartUpOnlyOpenExitRepeatMuteHelpAndTheSlidersRespond)
{
    for (QWidget* off : std::initializer_list<QWidget*>{
             window->cmdplay, window->cmdinfo, window->cmdcapture, window->cmdback,
             window->cmdnext, window->cmdseek, window->cmdstep, window->cmdnormal,
             window->cmdfullscreen, window->cmdbulkcapture, window->cmdcancel, window->Frame3})
        EXPECT_FALSE(enabledFlag(off)) << off->objectName().toStdString();
    for (QWidget* on : std::initializer_list<QWidget*>{window->cmdplay1, window->cmdmute,
                                                        window->Slider1, window->Slider2})
        EXPECT_TRUE(enabledFlag(on)) << on->objectName().toStdString();
    for (QAction* off : {window->mnuclose, window->mnuinfo, window->mnuplay, window->mnupause,
                         window->mnufirst, window->mnulast, window->mnuback, window->mnuforward,
                         window->mnufullscreen, window->mnucapture})
        EXPECT_FALSE(off->isEnabled()) << off->objectName().toStdString();
    for (QAction* on : {window->mnuopen, window->mnuexit, window->mnurepeat, window->mnumute,
                        window->mnutopics, window->mnutip, window->mnuabout})
        EXPECT_TRUE(on->isEnabled()) << on->objectName().toStdString();
    EXPECT_TRUE(window->cmdplay1->isHidden());
    EXPECT_TRUE(window->cmdmute1->isHidden());
    EXPECT_TRUE(window->lblstate->text().isEmpty());
    EXPECT_TRUE(window->Image1->isVisible());

    // With no media, the position slider moves alone and its caption reads 0/0 Sec.
    window->Slider1_MouseDown();
    window->Slider1->setValue(4);
    window->Slider1_Click();
    EXPECT_EQ(window->lbllength->text(), QStringLiteral("0/0 Sec."));
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(graphs.script->graphsCreated, 0);

    // The idle timer does nothing without media.
    window->Timer1_Timer();
    EXPECT_EQ(window->Slider1->value(), 4);
}

TEST_F(MainWindowTest, HelpTopicsOpensHelpBesideTheProgramOrSaysItIsMissing)
{
    window->mnutopics_Click();
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages[0].text,
              QStringLiteral("Can not find help file, it may be renamed or damaged. Try "
                             "reinstalling the program."));
    EXPECT_EQ(fake.messageBox.messages[0].title, QStringLiteral("Kadrel"));
    EXPECT_EQ(fake.messageBox.messages[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(fake.shell.opened.isEmpty());

    mediaFile(QStringLiteral("help.htm"));
    window->mnutopics_Click();
    EXPECT_EQ(fake.shell.opened, QStringList{folder.filePath(QStringLiteral("help.htm"))});
    EXPECT_EQ(fake.messageBox.messages.size(), 1u);
}

TEST_F(MainWindowTest, LogoOpensTheHomePage)
{
    window->Image1_Click();
    EXPECT_EQ(fake.shell.opened, QStringList{kHomePage});
}

TEST_F(MainWindowTest, ExitWritesNoSettingButTheCloseBoxWritesThePositionSlider)
{
    open(mediaFile(QStringLiteral("clip.avi")));
    window->Slider1->setValue(7);
    takeCalls();

    window->mnuexit_Click();
    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(fake.settings.writes.isEmpty());
    EXPECT_TRUE(takeCalls().contains(QStringLiteral("Stop")));

    window->Slider2->setValue(30);  // the volume slider is not what is written
    window->close();
    EXPECT_EQ(programEnds, 2);
    EXPECT_EQ(fake.settings.writes, QStringList{"Settings/volume=7"});
}

namespace {

template <typename Window>
Window* openWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Window*>(top); window && window->isVisible())
            return window;
    return nullptr;
}

}  // namespace

TEST_F(MainWindowTest, InfoTipAndAboutHoldTheMainWindowWhileOpen)
{
    const QString path = mediaFile(QStringLiteral("clip.avi"));
    open(path);
    window->mnufile_Click();
    window->mnuinfo->trigger();
    frminfo* info = openWindow<frminfo>();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->txtfile->text(), path);
    EXPECT_FALSE(window->isEnabled());
    info->unload();
    EXPECT_TRUE(window->isEnabled());

    fake.settings.setValue(QStringLiteral("Options"), QStringLiteral("Show Tips at Startup"),
                           QStringLiteral("0"));
    window->mnutip_Click();
    EXPECT_EQ(fake.settings.values.value(QStringLiteral("Options/Show Tips at Startup")),
              QStringLiteral("1"));
    frmTip* tip = openWindow<frmTip>();
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(window->isEnabled());
    tip->unload();
    EXPECT_TRUE(window->isEnabled());

    window->mnuabout_Click();
    frmAbout* about = openWindow<frmAbout>();
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(window->isEnabled());
    about->unload();
    EXPECT_TRUE(window->isEnabled());
}
