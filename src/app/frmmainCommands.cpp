// Start-up and shut-down, the File and Help commands, single-frame capture and full screen.

#include "app/frmmain.h"

#include "capture/CaptureSettings.h"
#include "capture/FrameNumber.h"
#include "common/Rounding.h"
#include "common/ShellOpen.h"
#include "common/WindowHold.h"
#include "common/mCommon.h"
#include "dialogs/HomePage.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmTip.h"
#include "dialogs/frminfo.h"
#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"
#include "fullscreen/frmfull.h"
#include "output/ImageFormat.h"
#include "output/SaveFrame.h"

namespace kadrel {

namespace {

const QString kOpenFilter = QStringLiteral(
    "All Media Files|*.mpg;*.mpeg;*.m1v;*.mp2;*.mpa;*.mpe;*.mpv2;*.dat;*.avi;*.wmv;*.mp3;*.mid;"
    "*.wav;*.m3u;*.mp4;*.m4v;*.mkv;*.webm;*.mov;*.ogv;*.flv;*.3gp;*.ts;*.mts"
    "|Moving Picture Experts Group (MPEG)|*.mpg;*.mpeg;*.m1v;*.mp2;*.mpa;*.mpe;*.mpv2;*.dat"
    "|Windows Video Files|*.avi;*.wmv|All Files (*.*)|*.*|");
const QString kMissingHelp = QStringLiteral(
    "Can not find help file, it may be renamed or damaged. Try reinstalling the program.");

}  // namespace

void frmmain::Form_Load()
{
    m_state.positionHeld = false;
    m_state.muted = false;
    m_fullScreen->unloadFrmfull();
    m_fullScreen->unloadFrmcontrol();
}

void frmmain::Form_Unload()
{
    // The position slider's value, under the name the settings have always used.
    m_platform.settings.setValue(QStringLiteral("Settings"), QStringLiteral("volume"),
                                 QString::number(Slider1->value()));
    m_endProgram();
}

void frmmain::mnufile_Click()
{
    if (runLocked())
        return;
    mnuclose->setEnabled(!m_state.loadedFile.isEmpty());
}

void frmmain::mnuopen_Click()
{
    const QString path = FileDialog(m_platform, this, false, QStringLiteral("Open..."),
                                    kOpenFilter, m_state.selectedFile, QString(), m_openFolder);
    openFile(path);
}

void frmmain::openFile(const QString& path)
{
    if (!FileExists(path))
        return;
    if (Status opened = openVideo(path); !opened) {
        // Nothing is loaded any more: the window shows that, then says why.
        showClosed();
        showFailure(this, QStringLiteral("Can not open the media file\n%1\n\n%2")
                        .arg(path, opened.text()));
        return;
    }
    showMediaState();
}

Status frmmain::openVideo(const QString& path)
{
    m_openFolder = ExtractPathPart(path, true);
    lblstate->setText(QStringLiteral("Opening..."));
    m_state.selectedFile = path;
    Status opened = play();
    if (!opened)
        closeMedia();
    return opened;
}

void frmmain::showMediaState()
{
    if (m_state.loadedFile.isEmpty()) {
        showClosed();
        return;
    }
    Slider1->setMinimum(0);
    Slider1->setMaximum(roundToInt32Clamped(m_movie.GetDuration()));
    setWindowTitle(kMainCaption + QLatin1Char('(') + ExtractPathPart(m_state.selectedFile, false)
                   + QLatin1Char(')'));
    activate();
    // Only media with pictures has a frame time.
    if (activatebulk())
        enablevideo();
    else
        enableaudio();
}

void frmmain::mnuclose_Click()
{
    closeMedia();
    showClosed();
}

void frmmain::closeMedia()
{
    cmdplay1_Click();
    m_movie.CloseMedia();
    setWindowTitle(kMainCaption);
    m_state.loadedFile.clear();
    m_state.selectedFile.clear();
    yieldOnce();
}

void frmmain::showClosed()
{
    disable();
    lblstate->setText(QStringLiteral("Closed"));
}

// Ends without the close box's unload handling, so no setting is written. A bulk run in
// progress stops first, after the frame in hand.
void frmmain::mnuexit_Click()
{
    capture->cancelRunThen([this] {
        m_movie.CloseMedia();
        yieldOnce();
        m_endProgram();
    });
}

void frmmain::mnuinfo_Click()
{
    cmdinfo_Click();
}

void frmmain::cmdinfo_Click()
{
    frminfo::open(this, m_platform.screen, m_state.selectedFile, m_movie.GetDuration());
}

void frmmain::mnutopics_Click()
{
    const QString help = m_programFolder + QStringLiteral("/help.htm");
    if (FileExists(help))
        openWithShell(m_platform.shell, m_platform.messageBox, this, help);
    else
        m_platform.messageBox.show(this, kMissingHelp, kAppTitle, MessageIcon::Critical);
}

void frmmain::mnutip_Click()
{
    const TipSetup setup{[this] { return static_cast<QWidget*>(this); }, m_platform.settings,
                         m_platform.screen, m_programFolder};
    openTipOfTheDay(this, setup);
}

void frmmain::mnuabout_Click()
{
    frmAbout::open(this, m_platform.shell, m_platform.messageBox, m_platform.screen);
}

void frmmain::Image1_Click()
{
    openWithShell(m_platform.shell, m_platform.messageBox, this, kHomePage);
}

void frmmain::cmdcapture_Click()
{
    mnucapture_Click();
}

// Saves the frame on show. The media stays paused on it, whatever the outcome; a cancelled
// dialog is silent, a failed write is not.
void frmmain::mnucapture_Click()
{
    if (!m_state.paused)
        cmdplay1_Click();
    const QString path = FileDialog(m_platform, this, true, QStringLiteral("Save Frame As..."),
                                    imageFileFilter(), QString(), QStringLiteral("bmp"));
    if (path.isEmpty())
        return;
    // The type follows the name's extension: "a.png" is a PNG file, any other name a bitmap.
    const Status saved =
        saveFrame(m_movie, path, imageFormatOfPath(path), std::nullopt, shownFrameFacts(),
                  pngDepth());
    yieldOnce();
    if (!saved)
        reportCaptureFailure(this, path, saved);
}

FrameFacts frmmain::shownFrameFacts()
{
    const Result<CapturePlan> frames = m_transport->frames();
    const Result<std::int32_t> frame = m_transport->shownFrame();
    if (!capture->options().metadata || !frames || !frame)
        return {};
    return frameFacts(m_movie.session(), frames.value(), frame.value());
}

int frmmain::pngDepth() const
{
    return capture->options().pngDepth16 ? 16 : 8;
}

void frmmain::mnucaptureoptions_Click()
{
    capture->cmdoptions_Click();
}

void frmmain::mnucapturefolder_Click()
{
    FileDialogRequest request;
    request.folder = true;
    request.title = QStringLiteral("Capture Folder");
    request.initialFolder = m_openFolder;
    QString folder;
    {
        const WindowHold held(this);
        folder = m_platform.fileDialog.exec(this, request);
    }
    captureFolder(folder);
}

void frmmain::captureFolder(const QString& folder)
{
    if (!folder.isEmpty())
        capture->captureFolder(folder);
}

// Media without pictures is refused, leaving everything as it was.
void frmmain::cmdfullscreen_Click()
{
    (void)m_fullScreen->enter();  // refused: nothing changes
}

void frmmain::mnufullscreen_Click()
{
    cmdfullscreen_Click();
}

void frmmain::reportCaptureFailure(QWidget* owner, const QString& path, const Status& failure)
{
    showFailure(owner,
                QStringLiteral("The frame was not saved to\n%1\n\n%2").arg(path, failure.text()));
}

void frmmain::showFailure(QWidget* owner, const QString& text)
{
    m_platform.messageBox.show(owner, text, kAppTitle, MessageIcon::Critical);
}

}  // namespace kadrel
