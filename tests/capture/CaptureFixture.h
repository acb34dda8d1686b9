#pragma once
// The capture settings frame on a recording main window, the recording desktop services and a
// media session over the recording graph (or, for the media tests, the FFmpeg engine).

#include "capture/CaptureHost.h"
#include "capture/CaptureSettings.h"
#include "common/ProgramState.h"
#include "media/ActiveMovieControl.h"
#include "support/FakeGraph.h"
#include "support/FakePlatform.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace kadrel::test {

// The main window as the capture frame sees it: its calls are logged, the pause command and
// the volume slider act on the session as the real ones do.
class RecordingHost final : public CaptureHost {
public:
    RecordingHost(ProgramState& state, ActiveMovieControl& movie)
        : m_state(state), m_movie(movie)
    {
    }

    void cmdplay1_Click() override
    {
        log << QStringLiteral("cmdplay1_Click");
        m_movie.PauseMedia();
        m_state.paused = true;
    }
    int slider1Minimum() const override { return 0; }
    void setSlider1Value(int seconds) override
    {
        slider1 = seconds;
        log << QStringLiteral("Slider1=%1").arg(seconds);
    }
    void Slider1_Click() override { log << QStringLiteral("Slider1_Click"); }
    void Slider2_Change() override
    {
        log << QStringLiteral("Slider2_Change");
        m_movie.SetVolume(m_state.volumeLevel * 100 - 10000);
    }
    void setFrame1Enabled(bool enabled) override { frame1Enabled = enabled; }
    void setCmdcaptureEnabled(bool enabled) override { cmdcaptureEnabled = enabled; }
    void lockForRun() override
    {
        log << QStringLiteral("lockForRun");
        locked = true;
    }
    void unlockAfterRun() override
    {
        log << QStringLiteral("unlockAfterRun");
        locked = false;
    }
    QString programFolder() const override { return folder; }
    QWidget* mainWindow() override { return &window; }

    QStringList log;
    int slider1 = 0;
    bool frame1Enabled = true;
    bool cmdcaptureEnabled = true;
    bool locked = false;
    QString folder;
    QWidget window;

private:
    ProgramState& m_state;
    ActiveMovieControl& m_movie;
};

class CaptureFixture : public ::testing::Test {
protected:
    explicit CaptureFixture(GraphFactory factory = {})
        : movie(state, fake.screen, factory ? factory : graphs.factory(), [] {}),
          host(state, movie)
    {
        host.folder = programDir.path();
        settings = std::make_unique<CaptureSettings>(state, movie, fake.platform(), host,
                                                     &host.window, [this] {
                                                         ++yields;
                                                         if (onYield)
                                                             onYield();
                                                     });
    }

    // Opens media as the main window does, with the frame enabled for video.
    void open(const QString& path = QStringLiteral("/media/clip.avi"))
    {
        ASSERT_TRUE(movie.OpenMedia(path).ok());
        state.loadedFile = path;
        ASSERT_TRUE(settings->activatebulk().ok());
        settings->cmdbulkcapture->setEnabled(true);
    }

    void useRange(int from, int to)
    {
        settings->Option2->setChecked(true);
        settings->sldfrom->setValue(from);
        settings->sldto->setValue(to);
    }

    // Runs into a fresh folder; returns the names written, in frame order.
    QStringList runInto(const QString& folder)
    {
        settings->txtout->setText(folder);
        settings->cmdbulkcapture_Click();
        return writtenNames(folder);
    }

    static QStringList writtenNames(const QString& folder)
    {
        QDir dir(folder);
        dir.setSorting(QDir::NoSort);
        QStringList names = dir.entryList({QStringLiteral("frame*.bmp")}, QDir::Files);
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        return names;
    }

    static QStringList frameNames(int first, int last)
    {
        QStringList names;
        for (int n = first; n <= last; ++n)
            names << QStringLiteral("frame%1.bmp").arg(n);
        return names;
    }

    QString outFolder(const QString& name) const { return outDir.filePath(name); }

    FakePlatform fake;
    ProgramState state;
    FakeGraphFactory graphs;
    ActiveMovieControl movie;
    RecordingHost host;
    std::unique_ptr<CaptureSettings> settings;
    QTemporaryDir programDir;
    QTemporaryDir outDir;
    int yields = 0;
    std::function<void()> onYield;
};

}  // namespace kadrel::test
