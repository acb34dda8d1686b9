// Opening and closing media, which commands that leaves available, the Controls menu, and the
// two ways of leaving the program.

#include "MainWindowFixture.h"

#include <QShortcut>

using namespace kadrel;
using namespace kadrel::test;

TEST_F(MainWindowTest, CommandsFollowTheMediaThatIsOpen)
{
    const struct {
        const char *file, *caption, *state, *available;  // file nullptr: start-up, "": Close
    } steps[] = {
        {nullptr, "", "", "0101 0000 00000 0000"},
        {"clip.avi", "(clip.avi)", "Playing", "1111 1111 11011 1111"},
        {"", "", "Closed", "0000 0000 00000 0000"},
        {"song.wav", "(song.wav)", "Playing", "1111 1100 00000 1100"},
        {"clip.avi", "(clip.avi)", "Playing", "1111 1111 11011 1111"},
        // Sound only after a video: nothing the video left on stays on.
        {"song.wav", "(song.wav)", "Playing", "1111 1100 00000 1100"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(&step - steps);
        graphs.script->hasVideo = !step.file || !QLatin1String(step.file).endsWith(u".wav");
        if (step.file && *step.file)
            open(QLatin1String(step.file));
        else if (step.file)
            window->mnuclose_Click();
        EXPECT_EQ(window->windowTitle(), kMainCaption + QLatin1String(step.caption));
        EXPECT_EQ(window->lblstate->text(), QLatin1String(step.state));
        EXPECT_EQ(available(), QLatin1String(step.available));
    }
    const FileDialogRequest& request = fake.fileDialog.calls.at(0).request;
    EXPECT_EQ(request.title, QStringLiteral("Open..."));
    EXPECT_EQ(request.nameFilters.value(0),
              QStringLiteral("All Media Files (*.mpg *.mpeg *.m1v *.mp2 *.mpa *.mpe *.mpv2 *.dat "
                             "*.avi *.wmv *.mp3 *.mid *.wav *.m3u *.mp4 *.m4v *.mkv *.webm *.mov "
                             "*.ogv *.flv *.3gp *.ts *.mts)"));
}

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
