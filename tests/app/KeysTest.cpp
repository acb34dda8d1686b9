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
    EXPECT_EQ(items.keys(), QStringList({"Ctrl+C", "Ctrl+F", "Ctrl+G", "Ctrl+I", "Ctrl+M",
                                         "Ctrl+O", "Ctrl+R", "Ctrl+Shift+C", "F1", "F2", "F3",
                                         "F4", "F5", "F6", "F7", "F8", "F9", "Shift+F7",
                                         "Shift+F8"}));
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

// Saved, cancelled, or the information window: afterwards the focus is where it was (the
// window itself when no control had it, never a text box) and Ctrl+C closes the media.
TEST_F(MainWindowTest, AfterADialogTheFocusIsBackAndCtrlCCloses)
{
    const struct { const char *focus, *key, *reply; } rows[] = {
        {"cmdstep", "F9", ""}, {"cmdstep", "F9", "shot.bmp"}, {"cmdstep", "Ctrl+I", ""},
        {nullptr, "F9", ""},   {nullptr, "F9", "shot.bmp"},   {nullptr, "Ctrl+I", ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.focus ? row.focus : "none") << ", " << row.key
                                        << " " << row.reply);
        open(QStringLiteral("clip.avi"));
        QWidget* before = row.focus ? window->findChild<QWidget*>(row.focus) : window.get();
        before->setFocus();
        fake.fileDialog.replies = {*row.reply ? folder.filePath(row.reply) : QString()};
        press({row.key});
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
