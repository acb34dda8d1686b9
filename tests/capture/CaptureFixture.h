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

// Pause and volume act on the session as the main window's do; the rest is recorded.
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

    // As the main window opens media: by default a 10 s video at 25 frames per second.
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

    // The names of the files the run leaves in folder, and those of frames first..last: sorted.
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

    // Begin, options, From, To, folder, Cancel, counter | Frame1, Capture, the locked commands.
    QString controls() const
    {
        QString flags;
        for (const QWidget* w : std::initializer_list<const QWidget*>{
                 settings.cmdbulkcapture, settings.Option1, settings.Option2, settings.sldfrom,
                 settings.sldto, settings.cmddir, settings.txtout, settings.cmdcancel,
                 settings.Label2})
            flags += w->isEnabled() ? u'1' : u'0';
        return flags + QStringLiteral(" %1%2%3").arg(frame1Enabled).arg(cmdcaptureEnabled)
                           .arg(!locked);
    }

    CaptureSettings settings;
    QTemporaryDir programDir, outDir;
    int yields = 0, slider1 = 0;
    bool frame1Enabled = true, cmdcaptureEnabled = true, locked = false;
    std::function<void()> onYield;
};

}  // namespace kadrel::test
