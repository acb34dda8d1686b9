#pragma once
// The control panel of full-screen mode: a borderless strip across the top of the screen
// with copies of the main window's transport. Its handlers work on its own controls; the
// transport state comes from the main window when full-screen mode begins and goes back to
// it when the panel is unloaded.

#include "common/Twips.h"
#include "transport/FormTimer.h"
#include "transport/Transport.h"

#include <QWidget>

#include <memory>

class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QSlider;

namespace kadrel {

class FullScreenMode;

class frmcontrol final : public QWidget, public TransportWindow {
public:
    explicit frmcontrol(FullScreenMode& mode);
    ~frmcontrol() override;

    void Form_Load();
    void Form_QueryUnload();
    // The panel's transport state copied back into the main window.
    void passcontolstate();
    void mute();

    void cmdplay_Click() override;
    void cmdplay1_Click() override;
    void cmdback_Click();
    void cmdnext_Click();
    void cmdseek_Click();
    void cmdstep_Click();
    void cmdprevframe_Click();
    void cmdnextframe_Click();
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
    QPushButton* cmdprevframe;
    QPushButton* cmdnextframe;
    QLabel* lblframe;  // the frame on show
    FormTimer Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void orderTabs();
    void createFrameControls(TwipsPerPixel tpp);
    // Lays out the frame controls at the right end of a strip fullWidth twips wide.
    void placeFrameControls(double fullWidth, TwipsPerPixel tpp);
    // The main window's check marks, and full-screen mode ending with the media.
    bool muteChecked() const override;
    void setMuteChecked(bool checked) override;
    bool repeatChecked() const override;
    void unloadFrmfull() override;

    FullScreenMode& m_mode;
    std::unique_ptr<Transport> m_transport;
};

}  // namespace kadrel
