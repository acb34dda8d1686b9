#pragma once
// A window disabled while a dialog of the program is up. Disabling a window takes the keyboard
// focus from its controls for good, and the desktop would then give it to the first control
// in tab order (a text box, which takes Ctrl+C as Copy); release() enables the window and
// gives the focus back to the control that had it.

#include <QPointer>
#include <QWidget>

namespace kadrel {

class WindowHold {
public:
    // Disables window; nullptr holds nothing.
    explicit WindowHold(QWidget* window);
    ~WindowHold() { release(); }
    WindowHold(const WindowHold&) = delete;
    WindowHold& operator=(const WindowHold&) = delete;

    // Enables the window again and puts the focus back; only the first call does anything.
    void release();

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
};

}  // namespace kadrel
