#pragma once
// The transport both the main window and the full-screen panel show: the moves by whole
// seconds, the silent seek while paused, mute and volume, the position slider's press and
// release, and the position timer with the end of the media. Each window keeps its own
// controls and handlers; its handlers call one Transport, which works on those controls.
// The frame moves and the readout count pictures by the numbers a bulk run gives them.

#include "capture/CapturePlan.h"
#include "common/EventYield.h"
#include "common/ProgramState.h"
#include "media/ActiveMovieControl.h"
#include "transport/FormTimer.h"
#include "transport/PictureWatch.h"

#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QSlider;
class QWidget;

namespace kadrel {

// What a transport asks of the window it serves.
class TransportWindow {
public:
    virtual ~TransportWindow() = default;
    // The check marks of the main window's Mute and Repeat items; setting one runs nothing.
    virtual bool muteChecked() const = 0;
    virtual void setMuteChecked(bool checked) = 0;
    virtual bool repeatChecked() const = 0;
    // The window's own play and pause commands, which the end of the media runs.
    virtual void cmdplay_Click() = 0;
    virtual void cmdplay1_Click() = 0;
    // The full-screen window unloaded, when the media ends in full-screen mode.
    virtual void unloadFrmfull() = 0;
};

// A window's transport controls, by the names both windows give them.
struct TransportControls {
    QWidget* cmdplay;   // shown while paused
    QWidget* cmdplay1;  // shown while playing
    QWidget* cmdmute;   // shown while the sound is on
    QWidget* cmdmute1;  // shown while muted
    QSlider* Slider1;   // position in whole seconds
    QSlider* Slider2;   // volume level 0..100
    FormTimer& Timer1;  // the one-second position timer
    QLabel* lblframe;   // "Frame 1234 · 00:00:49.360"
    std::function<QWidget*()> videoHost;  // where the window draws the video, if anywhere
};

class Transport {
public:
    Transport(ProgramState& state, ActiveMovieControl& movie, TransportWindow& window,
              TransportControls controls, EventYield yield);

    // The buttons, the timer and the state as they are for playing or paused media; the
    // media itself is the window's to run or pause.
    void showPlaying();
    void showPaused();
    // The move commands: to the start, to the end, one second back and forward.
    void toStart();
    void toEnd();
    void stepBack();
    void stepForward();
    void toggleMute();
    // The position slider pressed (the timer holds off) and released (the media follows).
    void press();
    void release();
    void volumeChanged();
    // One tick of the position timer: the slider follows the media; at its end the media
    // plays again with repeat on, otherwise it pauses and full-screen mode ends.
    void tick();

    // Picture by picture: playback pauses first; at the first or the last picture the media
    // stays where it is.
    void nextFrame();
    void previousFrame();
    // Lands paused on a frame of the plan.
    void goToFrame(const CapturePlan& frames, std::int32_t frame);
    // The frames of the open video; fails for media without pictures.
    Result<CapturePlan> frames();
    // The capture number of the picture on show; fails for media without pictures.
    Result<std::int32_t> shownFrame();
    // The readout follows the media; it is empty without a picture.
    void showFrame();

private:
    // A move: nothing at limit, else the slider to target and the media after it.
    void move(int limit, int target);
    void silentSeek();
    void silentSeekTo(double seconds);
    void stepFrames(std::int32_t delta);
    // Where the media stands, also while paused.
    Result<double> shownPosition();
    void endOfMedia();

    ProgramState& m_state;
    ActiveMovieControl& m_movie;
    TransportWindow& m_window;
    TransportControls m_controls;
    EventYield m_yield;
    // While playing, each picture painted brings the readout up to date.
    PictureWatch m_pictures;
};

}  // namespace kadrel
