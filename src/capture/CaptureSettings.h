#pragma once
// The "Capture Settings" frame of the main window: whole video or a From..To range, the output
// folder, the progress of a bulk run and the buttons that start and cancel it. The run itself
// is the Begin Capture handler: the bulk loop (capture/BulkCapture.h) on the user-interface
// thread, yielding to the event loop twice per frame so that Cancel and the repaints get through.

#include "capture/CaptureHost.h"
#include "capture/CaptureOptions.h"
#include "capture/CapturePlan.h"
#include "common/Platform.h"
#include "common/EventYield.h"
#include "common/ProgramState.h"
#include "common/Status.h"
#include "output/ImageFormat.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;

namespace kadrel {

class ActiveMovieControl;

// The title of the bulk runs' messages, and the message of a run that completed.
inline const QString kCaptureTitle = QStringLiteral("Cinevra");
inline const QString kCaptureCompleted =
    QStringLiteral("The frames have been captured and saved in the desired location");

// The video files of folder, by their extension, sorted by name.
QStringList videoFilesIn(const QString& folder);

class CaptureSettings final : public QWidget {
    Q_OBJECT

public:
    using Yield = std::function<void()>;

    // yield defaults to one pass of the Qt event loop.
    CaptureSettings(ProgramState& state, ActiveMovieControl& movie, Platform& platform,
                    CaptureHost& host, QWidget* parent = nullptr, Yield yield = {});

    // Prepares the capture values for the open video; fails, changing nothing, when the video
    // gives no usable frame time.
    Status activatebulk();
    void Option1_Click();
    void Option2_Click();
    void sldfrom_Change(int from);
    void sldto_Change(int to);
    void cmddir_Click();
    // Opens Capture Options over the main window; its OK sets the options of the next runs.
    void cmdoptions_Click();
    const CaptureOptions& options() const { return m_options; }
    // Also tells the media whether HDR pictures are tone-mapped.
    void setOptions(const CaptureOptions& options);

    // The bulk run; returns when it has completed, was cancelled or failed.
    void cmdbulkcapture_Click();
    void cmdcancel_Click();
    // Runs the bulk capture for each video file of folder, whole, each into a folder of its
    // name (without extension) under the output folder, with the same options; a video that
    // fails is noted and the next one runs, and one message at the end lists the failures.
    // Cancel stops them all.
    void captureFolder(const QString& folder);
    void disable_bulk();
    void enable_bulk();

    // Whether a bulk run is in progress (this handler is then on the call stack).
    bool running() const { return m_running; }
    // Closing or leaving the program: a run in progress is cancelled and next runs once it has
    // ended; without a run next runs at once.
    void cancelRunThen(std::function<void()> next);

    // The number of frames of the picture; the range sliders and the progress bar end at the
    // last of them.
    int frameCount() const { return m_frameCount; }
    const QString& outputExtension() const { return m_outputExtension; }
    // The type chosen in the Output Type list (Bitmap when none is).
    ImageFormat outputFormat() const;
    bool cancelCapture() const { return m_cancelCapture; }

    QLabel* Label1 = nullptr;
    QLineEdit* txtfile = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtout = nullptr;
    QPushButton* cmddir = nullptr;
    QLabel* Label7 = nullptr;
    QListWidget* lsttypes = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLabel* lblfrom = nullptr;
    QSlider* sldfrom = nullptr;
    QLabel* lblto = nullptr;
    QSlider* sldto = nullptr;
    QLabel* Label2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* cmdbulkcapture = nullptr;
    QPushButton* cmdcancel = nullptr;

private:
    // FolderMissing: CreatePath could not make the output folder and has said so.
    enum class Outcome { Completed, Cancelled, Failed, FolderMissing };

    void buildLayout();
    QRect twips(double left, double top, double width, double height) const;
    // Moves the main window's position slider to the time of a frame and the media with it.
    void showFrame(int frame);
    int lastFrame() const { return m_frameCount - 1; }
    void yieldOnce() const { m_yield(); }

    // The run's steps.
    void lockControls();
    void unlockControls();
    void prepareMedia();
    // inRange: From..To, else the whole video.
    Outcome captureFrames(bool inRange);
    // What the counter shows: the frame on show, and for a selection the files handed so far,
    // of how many when the selection knows.
    struct RunCounter {
        RunCounter(const CapturePlan& plan, const FrameSelection& selection);
        const CapturePlan& plan;
        bool all;
        std::optional<std::int32_t> count;
        std::int32_t frame = 0;
        std::int32_t handed = 0;
        QString text() const;
    };
    void prepareBar(const RunCounter& counter);
    Outcome fail(const QString& path, const Status& failure);
    // What stopped the run, then its error with between them.
    QString failureText(const QString& between) const;
    void finishRun(Outcome outcome);
    // Gives the window back and says how the run ended (nothing for an empty message);
    // mediaChanged: other media is open than before it.
    void endRun(const QString& message, MessageIcon icon, bool mediaChanged = false);
    // One video of a folder's runs: why it failed, or nothing.
    QString captureVideo(const QString& video, const QString& root);

    ProgramState& m_state;
    ActiveMovieControl& m_movie;
    Platform& m_platform;
    CaptureHost& m_host;
    EventYield m_yield;

    int m_frameCount = 0;
    QString m_outputExtension;
    bool m_cancelCapture = false;
    CaptureOptions m_options;

    bool m_running = false;
    // During a folder's runs: "Video 2 of 5: name - ", put before the counter.
    QString m_heading;
    std::function<void()> m_afterRun;
    // Enabled states of this frame's own controls before a run, given back after it.
    std::vector<std::pair<QWidget*, bool>> m_lockedControls;
    // What stopped a failed run, for the message after the window is restored.
    QString m_failedPath;
    Status m_failure;
};

}  // namespace kadrel
