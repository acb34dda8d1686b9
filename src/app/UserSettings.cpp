#include "app/UserSettings.h"

#include "app/frmmain.h"
#include "capture/CaptureSettings.h"

#include <QLineEdit>
#include <QListWidget>

#include <functional>

namespace kadrel {

namespace {

const QString kSection = QStringLiteral("Preferences");
const QString kVolume = QStringLiteral("Volume");
const QString kMute = QStringLiteral("Mute");
const QString kRepeat = QStringLiteral("Repeat");
const QString kOutputFolder = QStringLiteral("OutputFolder");
const QString kOutputType = QStringLiteral("OutputType");
const QString kOpenFolder = QStringLiteral("OpenFolder");

QString stored(const SettingsStore& settings, const QString& key)
{
    return settings.value(kSection, key, QString());
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// A stored "1" or "0" that differs from the check mark: the command that turns it over runs.
void restoreCheck(const SettingsStore& settings, const QString& key, bool checked,
                  const std::function<void()>& turnOver)
{
    const QString value = stored(settings, key);
    if ((value == flag(true) || value == flag(false)) && (value == flag(true)) != checked)
        turnOver();
}

void restoreVolume(frmmain& window, const SettingsStore& settings)
{
    bool number = false;
    const int volume = stored(settings, kVolume).toInt(&number);
    if (number && volume >= window.Slider2->minimum() && volume <= window.Slider2->maximum())
        window.Slider2->setValue(volume);
    restoreCheck(settings, kMute, window.mnumute->isChecked(), [&] { window.mnumute_Click(); });
    restoreCheck(settings, kRepeat, window.mnurepeat->isChecked(),
                 [&] { window.mnurepeat_Click(); });
}

void restoreOutput(frmmain& window, const SettingsStore& settings)
{
    const QString folder = stored(settings, kOutputFolder);
    if (!folder.isEmpty())
        window.capture->txtout->setText(folder);
    if (const auto type = imageFormatNamed(stored(settings, kOutputType)))
        window.capture->lsttypes->setCurrentRow(static_cast<int>(*type));
    window.capture->setOptions(restoreCaptureOptions(settings, kSection));
}

}  // namespace

void restoreUserSettings(frmmain& window, const SettingsStore& settings)
{
    restoreVolume(window, settings);
    restoreOutput(window, settings);
    window.setOpenFolder(stored(settings, kOpenFolder));
}

void saveUserSettings(const frmmain& window, SettingsStore& settings)
{
    settings.setValue(kSection, kVolume, QString::number(window.Slider2->value()));
    settings.setValue(kSection, kMute, flag(window.mnumute->isChecked()));
    settings.setValue(kSection, kRepeat, flag(window.mnurepeat->isChecked()));
    settings.setValue(kSection, kOutputFolder, window.capture->txtout->text());
    settings.setValue(kSection, kOutputType,
                      imageFormatInfo(window.capture->outputFormat()).name);
    saveCaptureOptions(window.capture->options(), settings, kSection);
    settings.setValue(kSection, kOpenFolder, window.openFolder());
}

}  // namespace kadrel
