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

#include <algorithm>
#include <initializer_list>

namespace kadrel {

void CaptureSettings::cmdbulkcapture_Click()
{
    if (m_running)
        return;
    m_running = true;
    lockControls();
    prepareMedia();
    const bool folderReady = DirExists(txtout->text()) || CreatePath(m_platform, txtout->text());
    finishRun(folderReady ? captureFrames(Option2->isChecked()) : Outcome::FolderMissing);
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
CaptureSettings::Outcome CaptureSettings::captureFrames(bool inRange)
{
    const Result<CapturePlan> whole = CapturePlan::wholeVideo(m_movie);
    if (!whole)
        return fail(QString(), whole.status());
    const CapturePlan plan = inRange
                                 ? whole.value().range(sldfrom->value(), sldto->value())
                                 : whole.value();
    const Result<NameTemplate> names = NameTemplate::parse(m_options.nameTemplate);
    if (!names)
        return fail(QString(), names.status());
    const FrameSelection& selection = m_options.selection;
    RunCounter counter(plan, selection);
    prepareBar(counter);

    const BulkCallbacks callbacks{
        [this] { return m_cancelCapture; },
        [this, &counter](std::int32_t frame) {
            yieldOnce();
            counter.frame = frame;
            // Only the bar and the counter change: no layout work per frame.
            if (!counter.count)
                ProgressBar1->setValue(frame);
            Label2->setText(m_heading + counter.text());
        },
        [this, &counter](std::int32_t handed) {
            counter.handed = handed;
            if (!counter.all) {
                if (counter.count)
                    ProgressBar1->setValue(handed);
                Label2->setText(m_heading + counter.text());
            }
            yieldOnce();
        }};
    const BulkOutput output{txtout->text(), outputFormat(), std::nullopt, names.value(),
                            m_options.manifest, m_options.metadata,
                            m_options.pngDepth16 ? 16 : 8};
    const BulkResult run = runBulkCapture(m_movie, plan, selection, output, callbacks);
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

// The bar runs over the frame numbers, full at the last of them, or over the files when the
// selection knows how many it writes.
void CaptureSettings::prepareBar(const RunCounter& counter)
{
    ProgressBar1->setMinimum(0);
    if (counter.count) {
        ProgressBar1->setMaximum(std::max(*counter.count, 1));
        ProgressBar1->setValue(0);
        return;
    }
    ProgressBar1->setMaximum(counter.plan.lastFrame);
    ProgressBar1->setMinimum(counter.plan.firstFrame);
}

// All frames keep the counter of a whole run: the frame of the last.
CaptureSettings::RunCounter::RunCounter(const CapturePlan& plan, const FrameSelection& selection)
    : plan(plan), all(selection.kind == FrameSelection::Kind::All),
      count(all ? std::nullopt : selectedCount(selection, plan))
{
}

QString CaptureSettings::RunCounter::text() const
{
    const QString shown = QStringLiteral("Capturing Frame:%1").arg(frame);
    if (all)
        return shown + QStringLiteral("/%1").arg(plan.lastFrame);
    if (count)
        return shown + QStringLiteral(" (%1 of %2)").arg(handed).arg(*count);
    return shown + QStringLiteral(" (%1 saved)").arg(handed);
}

CaptureSettings::Outcome CaptureSettings::fail(const QString& path, const Status& failure)
{
    m_failedPath = path;
    m_failure = failure;
    return Outcome::Failed;
}

QString CaptureSettings::failureText(const QString& between) const
{
    QString what = QStringLiteral("The frames could not be captured.");
    if (!m_failedPath.isEmpty()) {
        // A failure of the video itself names the video: it gave no picture for the frame.
        const QLatin1String done(m_failedPath == m_state.loadedFile ? "read" : "saved");
        what = QStringLiteral("The capture stopped: \"%1\" could not be %2.")
                   .arg(m_failedPath, done);
    }
    return what + between + m_failure.text();
}

void CaptureSettings::finishRun(Outcome outcome)
{
    QString message;
    MessageIcon icon = MessageIcon::Information;
    if (outcome == Outcome::Completed) {
        message = kCaptureCompleted;
    } else if (outcome == Outcome::Failed) {
        message = failureText(QStringLiteral("\n\n"));
        icon = MessageIcon::Critical;
    }
    m_failure = {};
    m_failedPath.clear();
    endRun(message, icon);
}

void CaptureSettings::endRun(const QString& message, MessageIcon icon, bool mediaChanged)
{
    enable_bulk();
    unlockControls();
    if (mediaChanged)
        m_host.showMediaState();
    m_running = false;
    if (!message.isEmpty())
        m_platform.messageBox.show(window(), message, kCaptureTitle, icon);
    // Last: it may close the window that holds this frame.
    if (std::function<void()> next = std::exchange(m_afterRun, nullptr))
        next();
}

}  // namespace kadrel
