// The menus' shortcut keys. Each key sits on its menu item alone. As on the desktop the menus
// come from, a key first lets its menu bring its items into line, as if it dropped down, and
// belongs to the menu rather than to the control with the focus (a text box would take
// Ctrl+C as Copy); the item then runs when that left it enabled.

#include "app/frmmain.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>

namespace kadrel {

void frmmain::routeMenuKeys()
{
    qApp->installEventFilter(this);
    for (QMenu* menu : {mnufile, mnucontrol, mnutools, mnuhelp})
        connect(menu, &QMenu::aboutToHide, this,
                [this] { QTimer::singleShot(0, this, &frmmain::releaseMenuBar); });
}

// The control with the focus is asked first whether it wants the key for itself.
bool frmmain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride
        && watched == (focusWidget() ? focusWidget() : this))
        return takeMenuKey(static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

bool frmmain::takeMenuKey(QKeyEvent* key)
{
    const QKeySequence pressed(key->keyCombination());
    for (QMenu* menu : {mnufile, mnucontrol, mnutools, mnuhelp}) {
        for (const QAction* item : menu->actions()) {
            if (item->shortcut() != pressed)  // a second key gives way to a text box
                continue;
            if (menu == mnufile)
                mnufile_Click();
            else if (menu == mnucontrol)
                mnucontrol_Click();
            // Not accepted: the control does not override the key, the item's shortcut runs.
            key->ignore();
            return true;
        }
    }
    return false;
}

// A menu closed with Esc leaves the menu bar holding the keyboard, unseen, where typed
// letters open menus and pick items. The keyboard goes back to the window.
void frmmain::releaseMenuBar()
{
    QMenuBar* bar = menuBar();
    if (QApplication::activePopupWidget() || focusWidget() != bar)
        return;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &escape);
    if (focusWidget() == bar)
        bar->clearFocus();
}

}  // namespace kadrel
