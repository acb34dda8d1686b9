// The bulk capture run of the capture settings frame.

#include "capture/BulkCapture.h"
#include "capture/CaptureSettings.h"
#include "common/mCommon.h"
#include "media/ActiveMovieControl.h"
#include "media/Volume.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <initializer_list>

namespace kadrel {

namespace {

const QString kTitle = QStringLiteral("Cinevra");
const QString kCompletedText =
    QStringLiteral("The frames have been captured and saved in the desired location");

}  // namespace

void CaptureSettings::cmdbulkcapture_Click()
{
    if (m_running)
        return;
    m_running = true;
    lockControls();
    prepareMedia();
    const bool folderReady = DirExists(txtout->text()) || CreatePath(m_platform, txtout->text());
    finishRun(folderReady ? captureFrames() : Outcome::FolderMissing);
}

void CaptureSettings::cmdcancel_Click()
{
    m_cancelCapture = true;
}

void CaptureSettings::cancelRunThen(std::function<void()> next)
{
    if (!m_running) {
        next();
        return;
    }
    m_cancelCapture = true;
    m_afterRun = std::move(next);
}

void CaptureSettings::disable_bulk()
{
    m_host.setFrame1Enabled(false);
    m_host.setCmdcaptureEnabled(false);
    cmdcancel->setEnabled(true);
    txtout->setEnabled(false);
    cmddir->setEnabled(false);
    Label2->setEnabled(true);
}

void CaptureSettings::enable_bulk()
{
    m_host.setFrame1Enabled(true);
    m_host.setCmdcaptureEnabled(true);
    cmdcancel->setEnabled(false);
    txtout->setEnabled(true);
    cmddir->setEnabled(true);
    Label2->setEnabled(false);
    Label2->setText(QStringLiteral("Capturing Frame:"));
    if (!m_state.muted)
        m_host.Slider2_Change();
    // The video that gave its frame time for the run gives it again.
    (void)activatebulk();  // it succeeded for this video before
}

// Everything a click could use to disturb the run is off from its first yield to its end:
// the capturing state of disable_bulk, this frame's own commands and the main window's.
void CaptureSettings::lockControls()
{
    m_lockedControls.clear();
    const std::initializer_list<QWidget*> own{cmdbulkcapture, Option1, Option2, sldfrom, sldto};
    for (QWidget* control : own) {
        m_lockedControls.emplace_back(control, !control->testAttribute(Qt::WA_ForceDisabled));
        control->setEnabled(false);
    }
    m_host.lockForRun();
    disable_bulk();
}

void CaptureSettings::unlockControls()
{
    for (const auto& [control, enabled] : m_lockedControls)
        control->setEnabled(enabled);
    m_lockedControls.clear();
    m_host.unlockAfterRun();
}

void CaptureSettings::prepareMedia()
{
    if (!m_state.paused)
        m_host.cmdplay1_Click();
    m_host.setSlider1Value(m_host.slider1Minimum());
    m_host.Slider1_Click();
    m_movie.SetVolume(kSilentVolume);
    // A failure of this move meets the first frame again, which reports it with its file.
    (void)moveToCaptureTime(m_movie, m_host.slider1Minimum());  // reported by the first frame
    yieldOnce();
}

// One frame per pass, yielding after the move (with the counter shown) and after the file is
// handed over. The files in hand are written before the run ends, also when it is cancelled.
CaptureSettings::Outcome CaptureSettings::captureFrames()
{
    const Result<CapturePlan> whole = CapturePlan::wholeVideo(m_movie);
    if (!whole)
        return fail(QString(), whole.status());
    const CapturePlan plan = Option2->isChecked()
                                 ? whole.value().range(sldfrom->value(), sldto->value())
                                 : whole.value();
    // The bar runs over the frames the run writes, and is full at the last of them.
    ProgressBar1->setMinimum(0);
    ProgressBar1->setMaximum(plan.lastFrame);
    ProgressBar1->setMinimum(plan.firstFrame);

    const BulkCallbacks callbacks{
        [this] { return m_cancelCapture; },
        [this, &plan](std::int32_t frame) {
            yieldOnce();
            // Only the bar and the counter change: no layout work per frame.
            ProgressBar1->setValue(frame);
            Label2->setText(
                QStringLiteral("Capturing Frame:%1/%2").arg(frame).arg(plan.lastFrame));
        },
        [this](std::int32_t) { yieldOnce(); }};
    const BulkResult run =
        runBulkCapture(m_movie, plan, {}, {txtout->text(), outputFormat()}, callbacks);
    switch (run.end) {
    case BulkResult::End::Completed:
        return Outcome::Completed;
    case BulkResult::End::Stopped:
        return Outcome::Cancelled;
    case BulkResult::End::Failed:
        break;
    }
    return fail(run.failure.path, run.failure.status);
}

CaptureSettings::Outcome CaptureSettings::fail(const QString& path, const Status& failure)
{
    m_failedPath = path;
    m_failure = failure;
    return Outcome::Failed;
}

QString CaptureSettings::failureText() const
{
    QString what = QStringLiteral("The frames could not be captured.");
    if (!m_failedPath.isEmpty()) {
        // A failure of the video itself names the video: it gave no picture for the frame.
        const QLatin1String done(m_failedPath == m_state.loadedFile ? "read" : "saved");
        what = QStringLiteral("The capture stopped: \"%1\" could not be %2.")
                   .arg(m_failedPath, done);
    }
    return what + QStringLiteral("\n\n") + m_failure.text();
}

void CaptureSettings::finishRun(Outcome outcome)
{
    enable_bulk();
    unlockControls();
    m_running = false;
    if (outcome == Outcome::Completed)
        m_platform.messageBox.show(window(), kCompletedText, kTitle, MessageIcon::Information);
    else if (outcome == Outcome::Failed)
        m_platform.messageBox.show(window(), failureText(), kTitle, MessageIcon::Critical);
    m_failure = {};
    m_failedPath.clear();
    // Last: it may close the window that holds this frame.
    if (std::function<void()> next = std::exchange(m_afterRun, nullptr))
        next();
}

}  // namespace kadrel
