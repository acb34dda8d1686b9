// Full-screen mode from the main window: entering, the cursor watch and the panel's timing,
// the ways out giving the video back, the state copied back; the surface's round trip.

#include "MainWindowFixture.h"

#include "fullscreen/frmfull.h"
#include "media/Volume.h"
#include "media/ffmpeg/FilgraphManager.h"
#include "output/SaveFrame.h"

#include <QFileInfo>

namespace {

// Logs the main window's showing and hiding into the graph's list: one list shows both in order.
struct ShowLog final : QObject {
    explicit ShowLog(QStringList& log) : log(log) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            log << (event->type() == QEvent::Show ? u"main.Show"_s : u"main.Hide"_s);
        return false;
    }
    QStringList& log;
};

class FullScreen : public MainWindowTest {
protected:
    explicit FullScreen(GraphFactory engine = {})
        : MainWindowTest(std::move(engine)), m_showLog(graphs.script->calls)
    {
        window->installEventFilter(&m_showLog);
    }
    // clip.avi (10 s) open at the given second, playing or paused, the log cleared.
    void open(bool playing, int position = 3)
    {
        MainWindowTest::open(u"clip.avi"_s);
        playing ? window->cmdplay_Click() : window->cmdplay1_Click();
        window->Slider1->setValue(position);
        graph().position = position;
        graphs.script->calls.clear();
    }
    void enter()
    {
        window->cmdfullscreen_Click();
        ASSERT_TRUE(state.fullScreenActive);
    }

    FullScreenMode& mode() { return window->fullScreenMode(); }
    frmfull& full() { return mode().frmfull(); }
    frmcontrol& panel() { return mode().frmcontrol(); }
    void moveCursor(QPoint by) { fake.cursor.position += by; full().Timer3_Timer(); }

private:
    ShowLog m_showLog;
};

class FullScreenOnTheEngine : public FullScreen {
protected:
    FullScreenOnTheEngine() : FullScreen(makeFfmpegGraph) { fake.screen.size = {640, 360}; }
};

// The picture's place in a grab of colour bars: the lit pixels, widened by the black eighth bar.
QRect measuredPicture(const QImage& shot)
{
    QRect lit;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) > 40 || qBlue(shot.pixel(x, y)) > 80)
                lit |= QRect(x, y, 1, 1);
    return lit.adjusted(0, 0, qRound(lit.width() / 7.0), 0);
}

}  // namespace

TEST_F(FullScreen, RefusedEntryLeavesEverythingAsItWas)
{
    for (const bool soundOnly : {true, false}) {
        SCOPED_TRACE(soundOnly ? "sound only" : "switch fails");
        graphs.script->hasVideo = !soundOnly;
        graphs.script->failing = {soundOnly ? QString() : u"put_Owner"_s};
        open(true);
        const int level = soundOnly ? 60 : 40;
        window->Slider2->setValue(level);
        const QPointer<QWidget> owner = graph().owner;
        EXPECT_FALSE(mode().enter().ok());
        flushDeletes();
        EXPECT_EQ(graph().owner, owner);
        EXPECT_EQ(graph().volume, volumeOfLevel(level));
        EXPECT_FALSE(mode().frmfullLoaded() || mode().frmcontrolLoaded());
        EXPECT_TRUE(window->isVisible() && movie.hasMedia());
        EXPECT_FALSE(state.fullScreenActive);
    }
}

TEST_F(FullScreen, APixelMoveShowsThePanelForFourSecondsAndEscThereDoesNothing)
{
    open(true);
    enter();
    full().Timer3_Timer();
    EXPECT_TRUE(panel().isHidden());  // a still cursor shows nothing
    moveCursor({5, 5});
    moveCursor({5, 5});  // still moving: the four seconds are not started again
    EXPECT_EQ(full().Timer2.countsStarted(), 1);
    EXPECT_EQ(full().Timer2.interval(), 4000);
    QTest::keyClick(panel().cmdplay1, Qt::Key_Escape);
    QTest::keyClick(&panel(), Qt::Key_Escape);
    EXPECT_TRUE(state.fullScreenActive);
    for (const QPoint step : {QPoint(1, 0), QPoint(0, 1), QPoint(-1, 0), QPoint(0, -1)}) {
        full().Timer2_Timer();
        full().Timer3_Timer();  // the reference point is where the cursor came to rest
        EXPECT_TRUE(panel().isHidden());
        moveCursor(step);
        EXPECT_TRUE(panel().isVisible()) << step.x() << "," << step.y();
    }
}

// Entering in the fixed order; each way out gives the video back before the main window shows
// (where it stood: DesktopEndToEnd), with the media as it stands and the panel's volume; the
// panel saves the frame on show.
TEST_F(FullScreen, EveryWayOutGivesTheVideoBackAndTheMediaAsItStands)
{
    const auto normal = [this] { panel().cmdnormal->click(); };
    // The panel hides and the cursor watch stops while the Save dialog is up, and runs again.
    const QString saved = folder.filePath(u"frame.bmp"_s);
    bool watchOffAndPanelHidden = false;
    const auto capture = [&] {
        fake.fileDialog.replies = {saved};
        fake.fileDialog.duringDialog = [&] {
            watchOffAndPanelHidden = !full().Timer3.enabled() && panel().isHidden();
            fake.clock.ticks += 1000;  // the user's reading time
        };
        panel().cmdcapture->click();
        EXPECT_TRUE(watchOffAndPanelHidden && QFileInfo::exists(saved));
        EXPECT_TRUE(full().Timer3.enabled());
    };
    const struct { const char* name; bool playing; std::function<void()> step, leave;
                   bool pausedAfter; } rows[] = {
        {"Esc", true, [] {}, [this] { QTest::keyClick(&full(), Qt::Key_Escape); }, false},
        {"capture", true, capture, normal, true},
        {"end on the main window", true, [this] { window->Timer1_Timer(); }, [] {}, true},
        {"window manager, muted", false, [] {}, [this] { full().close(); }, true},
    };
    window->mnurepeat->setChecked(false);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        open(row.playing);
        const bool muted = &row == std::end(rows) - 1;
        if (muted)
            window->mnumute_Click();
        window->cmdseek->setEnabled(false);
        const QString put = u"put_Volume(%1)"_s.arg(volumeOfLevel(window->Slider2->value()));
        graphs.script->calls.clear();
        enter();
        // The panel's slider applies the level; the switch silences, moves, gives it back.
        EXPECT_EQ(graphs.script->calls.join(u' '),
                  "get_AvgTimePerFrame " + put + " put_Volume(-10000) put_Width(1920) "
                  "put_Height(1080) put_Owner(frmfull)" + (muted ? "" : ' ' + put)
                      + " main.Hide");
        EXPECT_TRUE(full().Timer3.enabled());
        EXPECT_EQ(panel().cmdplay1->isHidden(), !row.playing);
        EXPECT_EQ(panel().Timer1.enabled(), row.playing);
        EXPECT_FALSE(panel().cmdseek->isEnabled());  // copied from the main window
        EXPECT_EQ(panel().Slider1->value(), 3);
        graph().position = QString(row.name).startsWith(u"end") ? 10.0 : 4.0;
        QPointer<QWidget> fullWindow = &full(), panelWindow = &panel();
        moveCursor({1, 0});
        const int level = 55 - int(&row - rows);
        panel().Slider2->setValue(level);
        graphs.script->calls.clear();
        row.step();
        row.leave();
        const QStringList log = graphs.script->calls;
        EXPECT_LT(log.indexOf("put_Owner(Video)"), log.indexOf("main.Show"));
        EXPECT_EQ(graph().owner, window->Video);
        EXPECT_FALSE(state.fullScreenActive);
        EXPECT_EQ(movie.session().playing, !row.pausedAfter);
        EXPECT_EQ(window->lblstate->text(), row.pausedAfter ? "Paused" : "Playing");
        EXPECT_EQ(window->Timer1.enabled(), !row.pausedAfter);
        EXPECT_EQ(window->Slider2->value(), level);
        EXPECT_EQ(graph().volume, volumeOfLevel(level));  // set after the mute
        EXPECT_EQ(window->cmdmute1->isHidden(), !muted);
        if (QString(row.name).startsWith(u"end")) {
            EXPECT_EQ(window->Slider1->value(), 10);
        }
        flushDeletes();
        EXPECT_TRUE(fullWindow.isNull() && panelWindow.isNull());
    }
}

// The panel's buttons, slider and timer reach the one transport (its cases are TransportTest's);
// mute set there is carried back when the end of the media ends full-screen mode.
TEST_F(FullScreen, ThePanelDrivesTheTransport)
{
    window->mnurepeat->setChecked(false);
    open(false, 5);
    enter();
    frmcontrol& p = panel();
    const std::pair<QPushButton*, int> moves[] = {
        {p.cmdstep, 6}, {p.cmdback, 0}, {p.cmdnext, 10}, {p.cmdseek, 9}};
    for (const auto& [button, to] : moves) {
        button->click();
        EXPECT_EQ(graph().position, to);
    }
    p.Slider1_MouseDown();  // the position slider dragged to 7
    p.Slider1->setValue(7);
    p.Slider1_Click();
    EXPECT_EQ(graph().position, 7);
    p.cmdmute->click();
    p.cmdplay->click();
    EXPECT_TRUE(p.Timer1.enabled() && !state.paused);
    takeEffects();
    p.cmdplay_Click();  // already playing: nothing to do
    EXPECT_EQ(takeEffects(), QString());
    graph().position = 10.0;
    p.Timer1_Timer();
    EXPECT_TRUE(state.paused && !state.fullScreenActive);
    EXPECT_TRUE(window->mnumute->isChecked() && !window->cmdmute1->isHidden());
    EXPECT_EQ(graph().volume, kSilentVolume);
}

// The picture keeps its display aspect, as large as the host allows, centred; the surface goes
// to the full-screen window and back (outliving it), and saved frames keep the stored size.
TEST_F(FullScreenOnTheEngine, ThePictureKeepsItsAspectCentredBetweenBlackBars)
{
    const struct { int width, height, sarNum, sarDen; } clips[] = {
        {320, 180, 1, 1}, {160, 120, 4, 3}, {120, 160, 1, 1}, {160, 120, 1, 1}};
    for (const auto& c : clips) {
        const QString name = u"bars%1.avi"_s.arg(c.width * c.sarNum);
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(generateClip({.content = ClipSpec::Content::ColourBars, .width = c.width,
                                  .height = c.height, .frames = 10, .sampleAspectNum = c.sarNum,
                                  .sampleAspectDen = c.sarDen}, folder.filePath(name)).ok());
        MainWindowTest::open(name);
        window->cmdplay1_Click();
        const double aspect = double(c.width) * c.sarNum / (double(c.height) * c.sarDen);
        for (const bool fullScreen : {false, true, false}) {
            SCOPED_TRACE(fullScreen ? "full screen" : "picture box");
            if (fullScreen)
                enter();
            else if (state.fullScreenActive)
                mode().leave();
            flushDeletes();
            const auto graph =
                std::dynamic_pointer_cast<ffmpeg::FilgraphManager>(movie.session().graphManager);
            QWidget* surface = graph->surface();
            const QSize host = fullScreen ? QSize(640, 360) : QSize(329, 241);
            EXPECT_EQ(surface->parentWidget(),
                      fullScreen ? static_cast<QWidget*>(&full()) : window->Video);
            EXPECT_EQ(surface->geometry(), QRect(QPoint(0, 0), host));
            const QRect picture = measuredPicture(surface->grab().toImage());
            EXPECT_NEAR(double(picture.width()) / picture.height(), aspect, 0.03);
            EXPECT_TRUE(picture.width() >= host.width() - 1
                        || picture.height() >= host.height() - 1);
            EXPECT_NEAR(picture.left(), host.width() - picture.right() - 1, 2);
            EXPECT_NEAR(picture.top(), host.height() - picture.bottom() - 1, 2);
        }
        const QString bmp = folder.filePath(u"frame.bmp"_s);
        ASSERT_TRUE(saveFrame(movie, bmp).ok());
        EXPECT_EQ(QFileInfo(bmp).size(), 54 + 4 * c.width * c.height);
    }
}
