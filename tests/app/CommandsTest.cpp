// The Controls menu as it drops down or a shortcut runs, and the two ways of leaving the
// program.

#include "MainWindowFixture.h"

#include <QShortcut>

using namespace kadrel;
using namespace kadrel::test;

TEST_F(MainWindowTest, ControlsMenuFollowsTheTransportAsItDropsDown)
{
    const auto menu = [this] {
        QString flags;  // Play, Pause, First, Last, Back, Forward
        for (QAction* item : {window->mnuplay, window->mnupause, window->mnufirst,
                              window->mnulast, window->mnuback, window->mnuforward})
            flags += item->isEnabled() ? u'1' : u'0';
        return flags;
    };
    open(QStringLiteral("clip.avi"));
    // A shortcut brings its menu up to date first: Pause was never offered, yet F4 pauses.
    for (QShortcut* key : window->findChildren<QShortcut*>())
        if (key->key() == QKeySequence(Qt::Key_F4))
            emit key->activated();
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Paused"));
    EXPECT_EQ(menu(), QStringLiteral("011111"));  // as it was while playing

    const std::pair<std::function<void()>, const char*> steps[] = {
        {[] {}, "101111"},
        {[&] { window->cmdplay_Click(); }, "011111"},
        {[&] { graphs.script->hasVideo = false, open(QStringLiteral("song.wav")); }, "011100"},
        {[&] { window->mnuclose_Click(); }, "011100"},  // no media: kept as they were
    };
    for (const auto& [step, expected] : steps) {
        step();
        window->mnucontrol_Click();
        EXPECT_EQ(menu(), QLatin1String(expected));
    }
}

TEST_F(MainWindowTest, ExitWritesNoSettingButTheCloseBoxWritesThePositionSlider)
{
    open(QStringLiteral("clip.avi"));
    window->Slider1->setValue(7);
    takeEffects();
    window->mnuexit_Click();
    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(fake.settings.writes.isEmpty());
    EXPECT_TRUE(takeEffects().contains(QStringLiteral("Stop")));

    window->Slider2->setValue(30);  // the volume slider is not what is written
    window->close();
    EXPECT_EQ(programEnds, 2);
    EXPECT_EQ(fake.settings.writes, QStringList{"Settings/volume=7"});
}

TEST_F(MainWindowTest, HelpTopicsOpensThePageBesideTheProgramOrSaysItIsMissing)
{
    window->mnutopics_Click();
    EXPECT_TRUE(fake.shell.opened.isEmpty());
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages[0].text,
              QStringLiteral("Can not find help file, it may be renamed or damaged. "
                             "Try reinstalling the program."));
    EXPECT_EQ(fake.messageBox.messages[0].title, QStringLiteral("Kadrel"));
    EXPECT_EQ(fake.messageBox.messages[0].icon, MessageIcon::Critical);

    QFile page(folder.filePath(QStringLiteral("help.htm")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    window->mnutopics_Click();
    EXPECT_EQ(fake.shell.opened, QStringList{page.fileName()});
    EXPECT_EQ(fake.messageBox.messages.size(), 1u);
}
