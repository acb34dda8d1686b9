// Back from full screen, the main window shows the media as it stands, whatever happened on
// the panel, and stands where it stood.

#include "MainWindowFixture.h"

#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"

#include <QPushButton>

using namespace kadrel;
using namespace kadrel::test;

namespace {

// Whether the graph runs, after its last Run, Pause or Stop.
bool runs(const QStringList& calls)
{
    for (auto call = calls.crbegin(); call != calls.crend(); ++call)
        if (*call == u"Run" || *call == u"Pause" || *call == u"Stop")
            return *call == u"Run";
    return false;
}

}  // namespace

TEST_F(MainWindowTest, BackFromFullScreenTheTransportShowsTheMediaAsItStands)
{
    using Step = std::function<void(frmmain&, frmcontrol&)>;
    const struct { const char* name; bool playing; Step step; bool pausedAfter; } rows[] = {
        {"play", false, [](frmmain&, frmcontrol& p) { p.cmdplay->click(); }, false},
        {"pause", true, [](frmmain&, frmcontrol& p) { p.cmdplay1->click(); }, true},
        {"step paused", false, [](frmmain&, frmcontrol& p) { p.cmdstep->click(); }, true},
        {"step playing", true, [](frmmain&, frmcontrol& p) { p.cmdseek->click(); }, false},
        {"last", true, [](frmmain&, frmcontrol& p) { p.cmdnext->click(); }, false},
        {"first", false, [](frmmain&, frmcontrol& p) { p.cmdback->click(); }, true},
        {"capture", true, [](frmmain&, frmcontrol& p) { p.cmdcapture->click(); }, true},
        {"end on the panel", true, [](frmmain&, frmcontrol& p) { p.Timer1_Timer(); }, true},
        {"end on the main window", true, [](frmmain& w, frmcontrol&) { w.Timer1_Timer(); },
         true},
    };
    open(QStringLiteral("clip.avi"));  // 10 s
    window->mnurepeat->setChecked(false);
    window->move(200, 150);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.playing ? window->cmdplay_Click() : window->cmdplay1_Click();
        graph().position = QString(row.name).startsWith(u"end") ? 10.0 : 4.0;
        window->cmdfullscreen_Click();
        ASSERT_TRUE(state.fullScreenActive);
        frmcontrol& panel = window->fullScreenMode().frmcontrol();
        row.step(*window, panel);
        if (state.fullScreenActive)
            panel.cmdnormal->click();

        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->pos(), QPoint(200, 150));
        EXPECT_EQ(state.paused, row.pausedAfter);
        EXPECT_EQ(runs(graphs.script->calls), !row.pausedAfter);
        EXPECT_EQ(window->lblstate->text(), row.pausedAfter ? "Paused" : "Playing");
        EXPECT_EQ(window->cmdplay->isHidden(), !row.pausedAfter);
        EXPECT_EQ(window->cmdplay1->isHidden(), row.pausedAfter);
        EXPECT_EQ(window->Timer1.enabled(), !row.pausedAfter);
    }
}
