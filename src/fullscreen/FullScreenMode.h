#pragma once
// Full-screen mode: owns the full-screen window and its control panel, loads each on first
// use and unloads it (unload handling, then closed and deleted), and runs the main window's
// side of the mode: the state copy into the panel and the entry sequence.
//
// The main window keeps one FullScreenMode, hands hostLoader() to
// ActiveMovieControl::setFullScreenHost, and calls enter() from its full-screen command.

#include "common/EventYield.h"
#include "common/Platform.h"
#include "common/ProgramState.h"
#include "common/Status.h"
#include "fullscreen/MainWindowLink.h"
#include "media/ActiveMovieControl.h"

#include <QPointer>

namespace kadrel {

class frmfull;
class frmcontrol;

class FullScreenMode {
public:
    using Yield = ActiveMovieControl::Yield;

    // yield defaults to one pass of the Qt event loop.
    FullScreenMode(ProgramState& state, ActiveMovieControl& movie, Platform& platform,
                   MainWindowLink& mainWindow, Yield yield = {});
    ~FullScreenMode();
    FullScreenMode(const FullScreenMode&) = delete;
    FullScreenMode& operator=(const FullScreenMode&) = delete;

    // The windows, loaded (and their Form_Load run) when first asked for.
    kadrel::frmfull& frmfull();
    kadrel::frmcontrol& frmcontrol();
    bool frmfullLoaded() const;
    bool frmcontrolLoaded() const;
    // Each runs the window's Form_QueryUnload, then closes and deletes it; nothing happens
    // when the window is not loaded. The video is given back before frmfull goes.
    void unloadFrmfull();
    void unloadFrmcontrol();

    // For ActiveMovieControl::setFullScreenHost: asking for the host loads frmfull.
    ActiveMovieControl::HostLoader hostLoader();

    // The full-screen command (cmdfullscreen_Click). Media without video is refused with
    // the engine's failure, before anything changes.
    Status enter();
    // The leave sequence: the video back to the picture box, then both windows unloaded.
    void leave();
    // The main window's passcontolstate: its transport state copied into the panel.
    void passcontolstate();

    // What the windows share.
    ProgramState& state() { return m_state; }
    ActiveMovieControl& movie() { return m_movie; }
    Platform& platform() { return m_platform; }
    MainWindowLink& mainWindow() { return m_mainWindow; }
    const EventYield& eventYield() const { return m_yield; }
    void yieldOnce() const { m_yield(); }

private:
    ProgramState& m_state;
    ActiveMovieControl& m_movie;
    Platform& m_platform;
    MainWindowLink& m_mainWindow;
    EventYield m_yield;
    QPointer<kadrel::frmfull> m_frmfull;
    QPointer<kadrel::frmcontrol> m_frmcontrol;
    bool m_unloadingFrmfull = false;
    bool m_unloadingFrmcontrol = false;
};

}  // namespace kadrel
