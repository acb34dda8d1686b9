#pragma once
// The full-screen window: borderless, black, the screen's size at (0, 0). It holds the video
// while full-screen mode lasts and brings up the control panel when the mouse moves.

#include "transport/FormTimer.h"

#include <QPoint>
#include <QWidget>

namespace kadrel {

class FullScreenMode;

class frmfull final : public QWidget {
public:
    explicit frmfull(FullScreenMode& mode);

    void Form_Load();
    void Form_Activate();
    void Form_KeyPress(int keyAscii);
    void Form_QueryUnload();
    void Timer3_Timer();
    void Timer2_Timer();

    // Shown modeless; it becomes the active window.
    void Show();
    // Made the active window, as it becomes when the panel or the panel's save dialog goes
    // away; the desktop may not do that by itself.
    void Activate();
    void stopTimers();
    // The width in twips, as the panel reads it.
    double widthTwips() const;

    FormTimer Timer3;  // cursor watch
    FormTimer Timer2;  // hides the panel

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    FullScreenMode& m_mode;
    QPoint m_reference;  // where the cursor was when the window last became active
    QPoint m_current;
};

}  // namespace kadrel
