#pragma once
// Everything the full-screen windows read or write on the main window. The main window
// implements it; the full-screen windows never see the main window's class.

#include "common/Status.h"
#include "output/FrameFacts.h"

#include <QString>

class QWidget;

namespace kadrel {

class MainWindowLink {
public:
    // The main window's controls that the state copies reach.
    enum class Control {
        cmdplay,
        cmdplay1,
        cmdcapture,
        cmdnormal,
        cmdfullscreen,
        cmdinfo,
        cmdnext,
        cmdback,
        cmdseek,
        cmdstep,
        cmdmute,
        cmdmute1,
        Slider1,
        Timer1,
    };
    enum class Slider { Slider1, Slider2 };
    struct SliderState {
        int min = 0;
        int max = 0;
        int value = 0;
    };

    virtual ~MainWindowLink() = default;

    // A control's own Enabled property (for Timer1: whether it runs).
    virtual bool enabled(Control control) const = 0;
    virtual void setEnabled(Control control, bool on) = 0;
    // A control's own Visible property: it stays true for a shown button while the main
    // window itself is hidden.
    virtual bool visible(Control control) const = 0;
    virtual void setVisible(Control control, bool on) = 0;

    virtual SliderState slider(Slider slider) const = 0;
    virtual void setSliderRange(Slider slider, int min, int max) = 0;
    // A new value raises the slider's change handling there (the position caption, the
    // volume); an equal value raises nothing.
    virtual void setSliderValue(Slider slider, int value) = 0;

    // The check marks of mnumute (the one place the mute state lives) and mnurepeat.
    // Setting the mark runs no handler.
    virtual bool muteChecked() const = 0;
    virtual void setMuteChecked(bool checked) = 0;
    virtual bool repeatChecked() const = 0;

    // Hidden for full screen, then shown again where it was.
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    // The play or the pause button, the position timer and the state label as they are for
    // a paused or a playing media.
    virtual void showTransport(bool paused) = 0;
    // The frame readout's text, which the state copies carry between the windows.
    virtual QString frameReadout() const = 0;
    virtual void setFrameReadout(const QString& text) = 0;

    // The message the main window's own capture shows when a frame could not be written to
    // path, shown over owner.
    virtual void reportCaptureFailure(QWidget* owner, const QString& path,
                                      const Status& failure) = 0;
    // What a saved frame says of itself (empty unless Capture Options asks for it).
    virtual FrameFacts shownFrameFacts() = 0;
    // The bits a channel of a saved PNG frame (8, or 16 when Capture Options asks for it).
    virtual int pngDepth() const = 0;
};

}  // namespace kadrel
