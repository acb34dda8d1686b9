#pragma once
// The control panel of full-screen mode: a borderless strip across the top of the screen
// with copies of the main window's transport. Its handlers work on its own controls; the
// transport state comes from the main window when full-screen mode begins and goes back to
// it when the panel is unloaded.

#include "fullscreen/FormTimer.h"

#include <QWidget>

class QFrame;
class QPushButton;
class QSlider;

namespace kadrel {

class FullScreenMode;

class frmcontrol final : public QWidget {
public:
    explicit frmcontrol(FullScreenMode& mode);

    void Form_Load();
    void Form_QueryUnload();
    // The panel's transport state copied back into the main window.
    void passcontolstate();
    void mute();

    void cmdplay_Click();
    void cmdplay1_Click();
    void cmdback_Click();
    void cmdnext_Click();
    void cmdseek_Click();
    void cmdstep_Click();
    void cmdnormal_Click();
    void cmdmute_Click() { mute(); }
    void cmdmute1_Click() { mute(); }
    void cmdcapture_Click();
    void Slider1_MouseDown();
    void Slider1_Click();
    void Slider2_Change();
    void Timer1_Timer();

    // Shown modeless on top, becoming the active window; hidden again.
    void Show();
    void Hide();

    QFrame* Frame1;
    QPushButton* cmdplay;
    QPushButton* cmdplay1;
    QPushButton* cmdseek;
    QPushButton* cmdstep;
    QPushButton* cmdback;
    QPushButton* cmdnext;
    QPushButton* cmdnormal;
    QPushButton* cmdmute;
    QPushButton* cmdmute1;
    QPushButton* cmdcapture;
    QSlider* Slider2;  // volume
    QSlider* Slider1;  // position in whole seconds
    FormTimer Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void orderTabs();
    // A move command: nothing at the limit, else the slider to target and the media after.
    void move(int limit, int target);
    void silentSeek();

    FullScreenMode& m_mode;
};

}  // namespace kadrel
