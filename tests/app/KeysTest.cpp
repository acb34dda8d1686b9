// The menus' shortcut keys: one item per key; after a menu is closed with Esc the keys still
// run their items and the menu bar takes no typed letters; a menu key wins over a text box.

#include "MainWindowFixture.h"

#include "capture/CaptureSettings.h"

#include <QApplication>
#include <QLineEdit>
#include <QMap>
#include <QMenuBar>
#include <QShortcut>

using namespace kadrel;
using namespace kadrel::test;

namespace {

// Opens menu with a click on its title and closes it with Esc.
void openAndEscape(frmmain& window, QMenu* menu)
{
    QMenuBar* bar = window.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == menu; }));
    QTest::keyClick(menu, Qt::Key_Escape);
    // The offscreen platform leaves the closed menu active, where a desktop activates the
    // window again.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::qWait(20);
}

}  // namespace

TEST_F(MainWindowTest, EachKeyRunsOneItemAlsoAfterAMenuClosedWithEsc)
{
    EXPECT_TRUE(window->findChildren<QShortcut*>().isEmpty());
    QMap<QString, int> items;
    for (const QAction* item : window->findChildren<QAction*>())
        if (!item->shortcut().isEmpty())
            ++items[item->shortcut().toString()];
    EXPECT_EQ(items.keys(), QStringList({"Ctrl+C", "Ctrl+F", "Ctrl+I", "Ctrl+M", "Ctrl+O",
                                         "Ctrl+R", "F1", "F2", "F3", "F4", "F5", "F6", "F7",
                                         "F8", "F9"}));
    for (const int count : items)
        EXPECT_EQ(count, 1);

    open(QStringLiteral("clip.avi"));
    window->capture->txtout->setFocus();  // a text box, which would take Ctrl+C as Copy
    bool muted = false;
    for (QMenu* menu : {window->mnufile, window->mnucontrol, window->mnutools, window->mnuhelp}) {
        SCOPED_TRACE(menu->objectName().toStdString());
        openAndEscape(*window, menu);
        EXPECT_NE(window->focusWidget(), window->menuBar());
        press({"T", "M"});  // the Tools menu's title letter, then Mute's
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_EQ(window->mnumute->isChecked(), muted);
        press({"Ctrl+M"});
        EXPECT_EQ(window->mnumute->isChecked(), muted = !muted);
    }
    press({"F4"});
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Paused"));
    press({"Ctrl+C"});
    EXPECT_TRUE(state.loadedFile.isEmpty());
    EXPECT_EQ(window->lblstate->text(), QStringLiteral("Closed"));
}
