// Picking the exact picture: the readout names the number a bulk run gives the picture on
// show; the frame commands and keys; Go To (its entries are FrameNumberTest's).

#include "MainWindowFixture.h"

#include "dialogs/frmgoto.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// The number in "Frame 1234 · 00:00:49.360"; -1 when the readout shows none.
int readoutFrame(const QLabel* readout)
{
    const QStringList words = readout->text().split(u' ');
    return words.size() == 4 && words[0] == u"Frame"_s ? words[1].toInt() : -1;
}

frmgoto* goToBox()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<frmgoto*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

class FramePickingMediaTest : public MainWindowTest {
protected:
    FramePickingMediaTest() : MainWindowTest(makeFfmpegGraph) {}
};

}  // namespace

// The frame items follow the media and a run; the step keys pause first, a text box keeps
// Ctrl+Right; the panel steps too; no control takes the menus' letters F, C, T and H.
TEST_F(MainWindowTest, FrameCommandsFollowTheMediaTheRunAndThePanel)
{
    const auto items = [&] {
        QString on;
        for (const QAction* item : {window->mnuprevframe, window->mnunextframe,
                                    window->mnugoto, window->mnucopyframe})
            on += item->isEnabled() ? u'1' : u'0';
        return on;
    };
    press({"Shift+F8", "Ctrl+G", "Ctrl+Shift+C"});
    EXPECT_EQ(items() + takeEffects(), u"0000"_s);
    graphs.script->hasVideo = false;
    open(u"song.wav"_s);
    EXPECT_EQ(items() + window->lblframe->text(), u"0000"_s);
    graphs.script->hasVideo = true;
    open(u"clip.avi"_s);
    EXPECT_EQ(items() + window->lblframe->text(), u"1111Frame 0 \u00b7 00:00:00.000"_s);

    graph().position = 2.5;  // playing
    const struct { const char* key; int frame, second; } steps[] = {
        {"Shift+F8", 63, 3}, {"Ctrl+Right", 64, 3}, {"Shift+F7", 63, 3}, {"Ctrl+Left", 62, 2},
        {"F8", 75, 3}, {"Shift+F7", 74, 3}, {"F5", 0, 0}, {"Ctrl+Left", 0, 0}, {"Tab", 0, 0}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.key);
        if (step.key == "Tab"_L1)
            window->capture->txtout->setFocus();
        press({QString::fromUtf8(step.key == "Tab"_L1 ? "Ctrl+Right" : step.key)});
        EXPECT_TRUE(state.paused);
        EXPECT_EQ(readoutFrame(window->lblframe), step.frame);
        EXPECT_EQ(window->Slider1->value(), step.second);
    }

    window->cmdfullscreen_Click();
    frmcontrol& panel = window->fullScreenMode().frmcontrol();
    for (auto step : {&frmcontrol::cmdnextframe_Click, &frmcontrol::cmdnextframe_Click,
                      &frmcontrol::cmdprevframe_Click})
        (panel.*step)();
    EXPECT_EQ(readoutFrame(panel.lblframe), 1);
    window->fullScreenMode().leave();
    EXPECT_EQ(readoutFrame(window->lblframe), 1);
    EXPECT_DOUBLE_EQ(graph().position, 0.04);

    window->capture->txtout->setText(folder.filePath(u"out"_s));
    window->cmdbulkcapture->click();  // out of reach during the run: CommandsTest's BulkRun
    EXPECT_EQ(items(), u"1111"_s);
    EXPECT_EQ(readoutFrame(window->lblframe), 249);  // the run's last frame stays on show
    window->mnuclose_Click();
    EXPECT_EQ(items() + window->lblframe->text(), u"0000"_s);

    static const QRegularExpression mnemonic(u"&([^&])"_s);
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        const QVariant caption = control->property("text");
        const QString letter = mnemonic.match(caption.toString()).captured(1).toUpper();
        EXPECT_TRUE(letter.isEmpty() || !u"FCTH"_s.contains(letter))
            << caption.toString().toStdString();
    }
}

// Stepping both ways past each end, the slider and Go To: the picture on show, as saved (and
// copied: DesktopEndToEnd), is the run's file of the readout's number (on a variable rate the
// one started last by n x T + T/2).
TEST_F(FramePickingMediaTest, ReadoutAndStepsAgreeWithTheBulkRun)
{
    std::vector<int> vfrTicks;  // frames of 1, 2 and 3 fiftieths of a second
    for (int k = 0, t = 0; k < 30; t += 1 + k % 3, ++k)
        vfrTicks.push_back(t);
    const struct { QString name; ClipSpec recipe; } clips[] = {
        {u"cfr.mp4"_s, {.codec = ClipSpec::Codec::H264, .frames = 30, .gop = 12}},
        {u"ntsc.mp4"_s, {.codec = ClipSpec::Codec::H264, .fps = 30000, .frames = 30, .gop = 12,
                         .fpsDivisor = 1001}},
        {u"vfr.mp4"_s, {.codec = ClipSpec::Codec::H264, .fps = 50, .frames = 30, .gop = 12,
                        .frameTicks = vfrTicks}},
    };
    const auto shownIndex = [this] { return saveFrameAs(u"saved.png"_s); };
    for (const auto& clip : clips) {
        SCOPED_TRACE(clip.name.toStdString());
        ASSERT_TRUE(generateClip(clip.recipe, folder.filePath(clip.name)).ok());
        open(clip.name);
        // Playing, the readout follows the pictures painted, not only the one-second timer.
        EXPECT_TRUE(QTest::qWaitFor([&] { return readoutFrame(window->lblframe) >= 3; }, 10000));
        const QString out = folder.filePath(clip.name + u"-out"_s);
        window->capture->txtout->setText(out);
        window->capture->cmdbulkcapture_Click();
        fake.messageBox.messages.clear();
        const int count = int(QDir(out).entryList(QDir::Files).size());
        ASSERT_GT(count, 20);
        const double t = movie.GetTimePerFrame().value();
        std::vector<int> run;
        for (int n = 0; n < count; ++n) {
            run.push_back(frameIndexFromBitmap(out + u"/frame%1.bmp"_s.arg(n)));
            int expected = n;
            if (!clip.recipe.frameTicks.empty())
                for (expected = 0; expected + 1 < 30
                     && vfrTicks[expected + 1] / 50.0 <= n * t + t / 2; ++expected) {}
            ASSERT_EQ(run.back(), expected) << n;
        }

        window->Slider1->setValue(0);
        window->Slider1_Click();
        const auto check = [&](int n) {
            EXPECT_EQ(readoutFrame(window->lblframe), n);
            EXPECT_EQ(shownIndex(), run[n]) << n;
        };
        for (int n = 0; n < count; ++n, window->mnunextframe_Click())
            check(n);
        check(count - 1);  // the last picture stays
        for (int n = count - 1; n >= 0; --n, window->mnuprevframe_Click())
            check(n);
        check(0);
        // Playing on after steps back goes through the pictures stepped over.
        window->cmdplay_Click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return readoutFrame(window->lblframe) >= 5; }, 10000));
        window->cmdplay1_Click();
        EXPECT_LE(std::abs(shownIndex() - run[readoutFrame(window->lblframe)]), 1);

        window->Slider1->setValue(1);
        window->Slider1_Click();
        check(std::min(int(std::lround(1.0 / t)), count - 1));
        // Go To holds the window; a bad entry is told and the box stays up for another try.
        window->mnugoto_Click();
        EXPECT_FALSE(window->isEnabled());
        goToBox()->txtentry->setText(u"250"_s);
        goToBox()->cmdOK_Click();
        EXPECT_TRUE(takeMessages(fake.messageBox).value(0).startsWith(u"Go To|Exclamation|"_s));
        ASSERT_TRUE(goToBox());
        goToBox()->txtentry->setText(u"00:00:00.5"_s);
        goToBox()->cmdOK_Click();
        check(int(std::floor(0.5 / t + 1e-6)));
        flushDeletes();
        EXPECT_TRUE(!goToBox() && window->isEnabled());
    }
}
