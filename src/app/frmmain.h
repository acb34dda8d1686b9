#pragma once
// The main window: the picture box with the video, the transport panel, the capture settings
// frame and the menus; opening and closing media, the transport with its position timer, the
// availability of commands, and single-frame capture.
//
// Controls and handlers are public under the names the rest of the program knows them by;
// the full-screen windows reach them through MainWindowLink, the capture settings through
// CaptureHost, the transport through TransportWindow.

#include "app/Controls.h"
#include "capture/CaptureHost.h"
#include "common/Platform.h"
#include "common/ProgramState.h"
#include "common/Status.h"
#include "fullscreen/MainWindowLink.h"
#include "output/FrameFacts.h"
#include "media/ActiveMovieControl.h"
#include "transport/FormTimer.h"
#include "transport/Transport.h"

#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSlider>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QKeyEvent;

namespace kadrel {

class CaptureSettings;
class FullScreenMode;

inline const QString kMainCaption = QStringLiteral("Kadrel - Video Image Extractor");

class frmmain : public QMainWindow,
                public MainWindowLink,
                public CaptureHost,
                public TransportWindow {
    Q_OBJECT
public:
    // Gives the session the picture box and the full-screen window as the video's hosts.
    // The session must outlive the window.
    frmmain(Platform& platform, ProgramState& state, ActiveMovieControl& movie,
            QWidget* parent = nullptr);
    ~frmmain() override;

    FullScreenMode& fullScreenMode() { return *m_fullScreen; }
    // How the program ends; by default the application's event loop is left.
    void setProgramEnd(std::function<void()> end) { m_endProgram = std::move(end); }
    // The folder of help.htm and TIPOFDAY.TXT (the program's data folder unless a test says
    // otherwise).
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }
    QString programFolder() const { return m_programFolder; }
    QString defaultOutputFolder() const override;

    // Start-up, shut-down, File and Help commands.
    void Form_Load();
    void Form_Unload();
    void mnufile_Click();
    void mnuopen_Click();
    // The Open command once a path is chosen: a path that names no file changes nothing.
    void openFile(const QString& path);
    // Runs the bulk capture for each video of folder (nothing for an empty path).
    void captureFolder(const QString& folder);
    // The folder of the file opened last: the Open dialog starts there.
    const QString& openFolder() const { return m_openFolder; }
    void setOpenFolder(const QString& folder) { m_openFolder = folder; }
    void mnuclose_Click();
    void mnuexit_Click();
    void mnuinfo_Click();
    void cmdinfo_Click();
    void mnutopics_Click();
    void mnutip_Click();
    void mnuabout_Click();
    void Image1_Click();

    // Transport and position tracking.
    void cmdplay_Click() override;
    void cmdplay1_Click() override;
    void cmdback_Click();
    void cmdnext_Click();
    void cmdseek_Click();
    void cmdstep_Click();
    void mnuplay_Click();
    void mnupause_Click();
    void mnufirst_Click();
    void mnulast_Click();
    void mnuback_Click();
    void mnuforward_Click();
    // Picture by picture, to a frame or a time, and the picture on show to the clipboard.
    void mnuprevframe_Click();
    void mnunextframe_Click();
    void mnugoto_Click();
    void mnucopyframe_Click();
    void mnumute_Click();
    void cmdmute_Click();
    void cmdmute1_Click();
    void mnurepeat_Click();
    void Slider1_MouseDown();
    void Slider1_Click() override;
    void Slider1_Change();
    void Slider2_Change() override;
    void Timer1_Timer();

    // Command availability.
    void activate();
    void enableaudio();
    void enablevideo();
    void disable();
    void mnucontrol_Click();
    void passcontolstate();
    // Prepares the capture settings for the open media; fails when it has no frame time.
    Status activatebulk();
    void disable_bulk();
    void enable_bulk();

    // Single-frame capture and full screen.
    void cmdcapture_Click();
    void mnucapture_Click();
    void mnucaptureoptions_Click();
    void mnucapturefolder_Click();
    void cmdfullscreen_Click();
    void mnufullscreen_Click();

    // Controls, by the names the other windows use.
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    CaptureSettings* capture = nullptr;  // Frame3's content
    QFrame* Video = nullptr;
    ClickableImage* Image1 = nullptr;
    QPushButton* cmdplay = nullptr;
    QPushButton* cmdplay1 = nullptr;
    QPushButton* cmdcapture = nullptr;
    QPushButton* cmdinfo = nullptr;
    EventSlider* Slider1 = nullptr;
    QLabel* lblstate = nullptr;
    QLabel* lbllength = nullptr;
    QLabel* lblframe = nullptr;
    QPushButton* cmdseek = nullptr;
    QPushButton* cmdstep = nullptr;
    QPushButton* cmdback = nullptr;
    QPushButton* cmdnext = nullptr;
    QPushButton* cmdnormal = nullptr;
    QPushButton* cmdfullscreen = nullptr;
    QSlider* Slider2 = nullptr;
    QPushButton* cmdmute = nullptr;
    QPushButton* cmdmute1 = nullptr;
    QPushButton* cmdbulkcapture = nullptr;  // in Frame3
    QPushButton* cmdcancel = nullptr;       // in Frame3
    FormTimer Timer1;

    QMenu* mnufile = nullptr;
    QAction* mnuopen = nullptr;
    QAction* mnuclose = nullptr;
    QAction* mnuinfo = nullptr;
    QAction* mnuexit = nullptr;
    QMenu* mnucontrol = nullptr;
    QAction* mnuplay = nullptr;
    QAction* mnupause = nullptr;
    QAction* mnufirst = nullptr;
    QAction* mnulast = nullptr;
    QAction* mnuback = nullptr;
    QAction* mnuforward = nullptr;
    QAction* mnuprevframe = nullptr;
    QAction* mnunextframe = nullptr;
    QAction* mnugoto = nullptr;
    QMenu* mnutools = nullptr;
    QAction* mnufullscreen = nullptr;
    QAction* mnurepeat = nullptr;
    QAction* mnumute = nullptr;
    QAction* mnucapture = nullptr;
    QAction* mnucopyframe = nullptr;
    QAction* mnucaptureoptions = nullptr;
    QAction* mnucapturefolder = nullptr;
    QMenu* mnuhelp = nullptr;
    QAction* mnutopics = nullptr;
    QAction* mnutip = nullptr;
    QAction* mnuabout = nullptr;

    // What the full-screen windows reach of this window.
    using QMainWindow::setEnabled;
    using QMainWindow::setVisible;
    bool enabled(Control control) const override;
    void setEnabled(Control control, bool on) override;
    bool visible(Control control) const override;
    void setVisible(Control control, bool on) override;
    SliderState slider(Slider slider) const override;
    void setSliderRange(Slider slider, int min, int max) override;
    void setSliderValue(Slider slider, int value) override;
    bool muteChecked() const override;
    void setMuteChecked(bool checked) override;
    bool repeatChecked() const override;
    void unloadFrmfull() override;
    void showWindow() override;
    void hideWindow() override;
    void showTransport(bool paused) override;
    QString frameReadout() const override;
    void setFrameReadout(const QString& text) override;
    void reportCaptureFailure(QWidget* owner, const QString& path,
                              const Status& failure) override;
    // The frame on show, when the capture options ask for facts and the media has pictures;
    // else none.
    FrameFacts shownFrameFacts() override;
    int pngDepth() const override;

    // What the capture settings reach of this window.
    int slider1Minimum() const override;
    void setSlider1Value(int seconds) override;
    void setFrame1Enabled(bool enabled) override;
    void setCmdcaptureEnabled(bool enabled) override;
    void lockForRun() override;
    void unlockAfterRun() override;
    QWidget* mainWindow() override { return this; }
    Status openVideo(const QString& path) override;
    void showMediaState() override;
    void showFrameReadout() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Layout and menus.
    void buildLayout();
    void buildTransport();
    void buildMenus();
    void buildFrameItems();
    // The items that need a picture: on for video, off otherwise.
    void enableFrameItems(bool on);
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut, void (frmmain::*handler)());
    QAction* addCheckItem(QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& shortcut, void (frmmain::*handler)());
    // Menu keys: each key belongs to one menu item, which the menus' own handling runs.
    void routeMenuKeys();
    bool takeMenuKey(QKeyEvent* key);
    void releaseMenuBar();
    // The commands a bulk run keeps out of reach, with their shortcut keys.
    std::vector<QAction*> runLockedCommands() const;
    bool runLocked() const { return !m_runLocked.empty(); }
    QRect twips(double left, double top, double width, double height) const;

    // The play command; fails when the selected file cannot be opened.
    Status play();
    // Closing: the media and the state that names it, then the window's look of no media.
    void closeMedia();
    void showClosed();
    void showFailure(QWidget* owner, const QString& text);
    QWidget* control(Control control) const;
    QSlider* sliderControl(Slider slider) const;
    void yieldOnce() const { m_yield(); }

    Platform& m_platform;
    ProgramState& m_state;
    ActiveMovieControl& m_movie;
    std::function<void()> m_endProgram;
    QString m_programFolder;
    QString m_openFolder;
    EventYield m_yield;
    std::unique_ptr<Transport> m_transport;
    std::unique_ptr<FullScreenMode> m_fullScreen;
    // Where the window stood before full screen hid it.
    std::optional<QPoint> m_placeBeforeHiding;
    // While a bulk run goes on: the locked commands' states from before it.
    std::vector<std::pair<QAction*, bool>> m_runLocked;
};

}  // namespace kadrel
