#pragma once
// The capture settings frame with the test as its main window, on the recording desktop
// services and a media session over the recording graph (or the FFmpeg engine).

#include "capture/CaptureSettings.h"
#include "media/Volume.h"
#include "support/SessionFixture.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>

#include <functional>

namespace kadrel::test {

// As the main window, the pause command and the volume slider act on the session as the real
// ones do; the rest is recorded.
class CaptureFixture : public SessionFixture, public CaptureHost {
protected:
    explicit CaptureFixture(GraphFactory factory = {})
        : SessionFixture(std::move(factory), [] {}),
          settings(state, movie, fake.platform(), *this, nullptr, [this] {
              ++yields;
              if (onYield)
                  onYield();
          })
    {
    }

    void cmdplay1_Click() override
    {
        movie.PauseMedia();
        state.paused = true;
    }
    int slider1Minimum() const override { return 0; }
    void setSlider1Value(int seconds) override { slider1 = seconds; }
    void Slider1_Click() override {}
    void Slider2_Change() override { movie.SetVolume(volumeOfLevel(state.volumeLevel)); }
    void setFrame1Enabled(bool enabled) override { frame1Enabled = enabled; }
    void setCmdcaptureEnabled(bool enabled) override { cmdcaptureEnabled = enabled; }
    void lockForRun() override { locked = true; }
    void unlockAfterRun() override { locked = false; }
    QString defaultOutputFolder() const override { return programDir.path(); }
    QWidget* mainWindow() override { return nullptr; }

    // Opens media as the main window does: a 10 s video at 25 frames per second by default.
    void open(const QString& path = QStringLiteral("/media/clip.avi"))
    {
        ASSERT_TRUE(movie.OpenMedia(path).ok());
        state.loadedFile = path;
        ASSERT_TRUE(settings.activatebulk().ok());
        settings.cmdbulkcapture->setEnabled(true);
    }

    void useRange(int from, int to)
    {
        settings.Option2->setChecked(true);
        settings.sldfrom->setValue(from);
        settings.sldto->setValue(to);
    }

    // Runs into folder; returns the names of the files there, sorted.
    QStringList runInto(const QString& folder)
    {
        settings.txtout->setText(folder);
        settings.cmdbulkcapture_Click();
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }

    static QStringList frameNames(int first, int last)
    {
        QStringList names;
        for (int n = first; n <= last; ++n)
            names << QStringLiteral("frame%1.bmp").arg(n);
        names.sort();
        return names;
    }

    QString outFolder(const QString& name) const { return outDir.filePath(name); }

    CaptureSettings settings;
    QTemporaryDir programDir, outDir;
    int yields = 0, slider1 = 0;
    bool frame1Enabled = true, cmdcaptureEnabled = true, locked = false;
    std::function<void()> onYield;
};

}  // namespace kadrel::test
