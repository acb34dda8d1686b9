#include "dialogs/HomePage.h"
#include "dialogs/frmAbout.h"
#include "support/FakePlatform.h"
#include "dialogs/DialogTestSupport.h"

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace kadrel {
namespace {

using test::runDeferredDeletes;

// Notes what the About box looked like at the moment the shell was asked.
class WatchingShell final : public ShellService {
public:
    bool open(const QString& address) override
    {
        opened << address;
        boxUpWhenOpened = !box.isNull() && box->isVisible();
        ownerDisabledWhenOpened = owner && !owner->isEnabled();
        return false;  // a failing shell must not keep the box open
    }
    QStringList opened;
    QPointer<QWidget> box;
    QWidget* owner = nullptr;
    bool boxUpWhenOpened = false;
    bool ownerDisabledWhenOpened = false;
};

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        about = frmAbout::open(&main.window, shell, fake.screen);
        shell.box = about.data();
        shell.owner = &main.window;
    }
    void TearDown() override
    {
        delete about;
        runDeferredDeletes();
    }

    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            about->Timer1_Timer();
    }
    int linkLeftPixels() const { return about->Label3->x(); }

    test::FakePlatform fake;  // 15 twips per pixel
    test::MainStandIn main;
    WatchingShell shell;
    QPointer<frmAbout> about;
};

TEST_F(AboutBoxTest, OpensOverTheDisabledMainWindowWithTheMarqueeRunning)
{
    EXPECT_FALSE(main.window.isEnabled());
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->size(), QSize(393, 217));
    EXPECT_EQ(about->geometry().center(), main.window.geometry().center());
    EXPECT_TRUE(about->Timer1->isActive());
    EXPECT_EQ(about->Timer1->interval(), 100);
    EXPECT_EQ(about->Label3->text(), QStringLiteral("Visit Kadrel Home Page!"));
    EXPECT_EQ(about->Label1->text(), QStringLiteral("Version: 2.0"));
}

TEST_F(AboutBoxTest, MarqueeRunsLeftAndComesBackAtTheRightEdge)
{
    EXPECT_EQ(linkLeftPixels(), 384);  // 5760 twips
    ticks(1);
    EXPECT_EQ(linkLeftPixels(), 376);  // 120 twips a step
    ticks(69);
    EXPECT_EQ(linkLeftPixels(), -176);  // -2640: part of the link still shows
    ticks(1);
    EXPECT_EQ(linkLeftPixels(), -184);  // -2760: wholly past the left edge
    ticks(1);
    EXPECT_EQ(linkLeftPixels(), 393);  // the window's width, 5895 twips
    ticks(1);
    EXPECT_EQ(linkLeftPixels(), 385);
    EXPECT_EQ(about->Label3->y(), 120);
}

TEST_F(AboutBoxTest, ClickOnTheLinkOpensTheHomePageThenCloses)
{
    ticks(30);
    QTest::mouseClick(about->Label3, Qt::LeftButton);
    EXPECT_EQ(shell.opened, QStringList{kHomePage});
    EXPECT_TRUE(shell.boxUpWhenOpened);
    EXPECT_TRUE(shell.ownerDisabledWhenOpened);
    runDeferredDeletes();
    EXPECT_TRUE(about.isNull());
    EXPECT_TRUE(main.window.isEnabled());
}

TEST_F(AboutBoxTest, EveryOtherWayOfClosingOpensNothingAndEnablesTheMainWindow)
{
    const std::pair<const char*, std::function<void(frmAbout*)>> ways[] = {
        {"banner", [](frmAbout* w) { QTest::mouseClick(w->Image1, Qt::LeftButton); }},
        {"version", [](frmAbout* w) { QTest::mouseClick(w->Label1, Qt::LeftButton); }},
        {"notice", [](frmAbout* w) { QTest::mouseClick(w->Label2, Qt::LeftButton); }},
        {"disclaimer", [](frmAbout* w) { QTest::mouseClick(w->lblDisclaimer, Qt::LeftButton); }},
        {"outline", [](frmAbout* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(0, 0)); }},
        {"grey line", [](frmAbout* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(20, 136)); }},
        {"Esc", [](frmAbout* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {"close", [](frmAbout* w) { w->close(); }},
        {"deleted", [](frmAbout* w) { delete w; }},
    };
    for (const auto& [name, closeIt] : ways) {
        SCOPED_TRACE(name);
        if (!about)
            SetUp();
        ASSERT_FALSE(main.window.isEnabled());
        closeIt(about);
        runDeferredDeletes();
        EXPECT_TRUE(about.isNull());
        EXPECT_TRUE(main.window.isEnabled());
    }
    EXPECT_TRUE(shell.opened.isEmpty());
}

}  // namespace
}  // namespace kadrel
