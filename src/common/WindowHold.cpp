#include "common/WindowHold.h"

namespace kadrel {

WindowHold::WindowHold(QWidget* window) : m_window(window)
{
    if (!m_window)
        return;
    m_focus = m_window->focusWidget();
    m_window->setEnabled(false);
}

void WindowHold::release()
{
    if (!m_window)
        return;
    m_window->setEnabled(true);
    // With no control to go back to, the window itself keeps the keyboard, so that no text
    // box receives it by default; a menu bar never gets it back.
    QWidget* back = m_focus && m_focus->isEnabled() && m_focus->isVisible()
                            && m_focus->focusPolicy() != Qt::NoFocus
                        ? m_focus.data()
                        : m_window.data();
    back->setFocus(Qt::OtherFocusReason);
    m_window.clear();
}

}  // namespace kadrel
