#pragma once
// What the capture settings take from the main window that holds them: its pause command,
// its position slider, its volume slider, the controls a bulk run turns off, the first output
// folder, the opening of each video of a folder, and its frame readout. The main window
// implements it; tests put a recorder in its place.

#include "common/Status.h"

#include <QString>

class QWidget;

namespace kadrel {

class CaptureHost {
public:
    virtual ~CaptureHost() = default;

    // The pause command.
    virtual void cmdplay1_Click() = 0;

    // The position slider, in whole seconds: its minimum, setting its value (which runs its
    // change handler) and its click handler, which moves the media to that value.
    virtual int slider1Minimum() const = 0;
    virtual void setSlider1Value(int seconds) = 0;
    virtual void Slider1_Click() = 0;

    // Applies the volume slider's value to the media.
    virtual void Slider2_Change() = 0;

    // The transport panel and the capture-current-frame button.
    virtual void setFrame1Enabled(bool enabled) = 0;
    virtual void setCmdcaptureEnabled(bool enabled) = 0;

    // During a bulk run: Open, Close, the Controls and Tools menus and full screen are made
    // unavailable, including their shortcut keys and the File menu's own update when it drops
    // down; afterwards each gets back the state it had before. The capture settings frame is
    // available throughout, for its Cancel button.
    virtual void lockForRun() = 0;
    virtual void unlockAfterRun() = 0;

    // A folder's runs: opens the video at path without a word, leaving which commands are
    // available as they are, and returns why it could not; afterwards brings the commands in
    // line with the media then open.
    virtual Status openVideo(const QString& path) = 0;
    virtual void showMediaState() = 0;
    // Brings the frame readout up to date with the picture on show (shown anew by a setting).
    virtual void showFrameReadout() = 0;

    // The output folder shown until the user chooses one, without a trailing separator.
    virtual QString defaultOutputFolder() const = 0;

    // The window the output folder chooser disables while it is open.
    virtual QWidget* mainWindow() = 0;
};

}  // namespace kadrel
