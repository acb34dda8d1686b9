// Capture Options from the Tools menu: the choices, the runs they shape, the next start.

#include "MainWindowFixture.h"

#include "app/UserSettings.h"
#include "capture/CaptureOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

namespace {

CaptureOptionsDialog* shownOptions()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<CaptureOptionsDialog*>(top); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

}  // namespace

// The example name follows the template, a refused one is explained and keeps OK off; Cancel
// keeps the options, OK hands them to the next run (its files, its manifest, its counter: a
// count of files where all frames count frames as ever), and they come back at the next start
// unless a stored value is unusable; Keep HDR and Deinterlace reach the media at once, 16-bit
// PNG Save Frame As.
TEST_F(MainWindowTest, CaptureOptionsShapeTheRunsAndComeBackAtTheNextStart)
{
    graphs.script->duration = 1.0;  // frames 0..24
    graphs.script->interlaced = true;
    open(u"clip.avi"_s);
    EXPECT_EQ(window->lblframe->text(), u"Frame 0 \u00b7 00:00:00.000 \u00b7 Interlaced"_s);
    // The counter and the bar as the run ends, in folder.
    const auto run = [&](const QString& name) {
        window->capture->txtout->setText(folder.filePath(name));
        QString shown;
        QTimer watch;  // at every yield
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const QProgressBar* bar = window->capture->ProgressBar1;
            shown = u"%1 %2 [%3..%4]"_s.arg(window->capture->Label2->text()).arg(bar->value())
                        .arg(bar->minimum()).arg(bar->maximum());
        });
        watch.start(0);
        window->cmdbulkcapture->click();
        return shown;
    };
    EXPECT_EQ(run(u"all"_s), u"Capturing Frame:24/24 24 [0..24]"_s);

    window->mnucaptureoptions->trigger();
    ASSERT_TRUE(shownOptions());
    shownOptions()->optevery->click();
    EXPECT_TRUE(shownOptions()->spnevery->isEnabled());
    EXPECT_FALSE(shownOptions()->spnthreshold->isEnabled());
    shownOptions()->cmdCancel->click();
    EXPECT_EQ(window->capture->options().selection.kind, FrameSelection::Kind::All);

    window->mnucaptureoptions->trigger();
    CaptureOptionsDialog* dialog = shownOptions();
    ASSERT_TRUE(dialog && !window->isEnabled());
    EXPECT_TRUE(dialog->optall->isChecked() && !dialog->spnevery->isEnabled());
    const std::pair<const char*, const char*> examples[] = {  // none: refused
        {"frame{n}", "frame12.bmp"}, {"{src}_{time}", "clip_00-00-00.480.bmp"},
        {"frame{x}", nullptr}, {"a/{n}", nullptr}, {"{n:04}", "0012.bmp"}};
    for (const auto& [names, example] : examples) {
        dialog->txtnames->setText(QLatin1String(names));
        const QString why = NameTemplate::parse(QLatin1String(names)).status().description();
        EXPECT_EQ(dialog->lblexample->text(),
                  example ? u"Example: "_s + QLatin1String(example) : why);
        EXPECT_EQ(dialog->cmdOK->isEnabled(), example != nullptr);
    }
    dialog->optevery->click();
    dialog->spnevery->setValue(3);
    dialog->cbomanifest->setCurrentIndex(1);
    dialog->chkkeephdr->setChecked(true);
    dialog->chkmetadata->setChecked(true);
    dialog->chkpngdepth16->setChecked(true);
    dialog->chkdeinterlace->setChecked(true);
    dialog->cmdOK->click();
    EXPECT_TRUE(!graphs.last->toneMapping && graphs.last->deinterlace);
    EXPECT_EQ(window->lblframe->text(), u"Frame 24 \u00b7 00:00:00.960 \u00b7 Deinterlaced"_s);
    fake.fileDialog.replies = {folder.filePath(u"shown.png"_s)};
    window->mnucapture_Click();
    EXPECT_EQ(QImage(folder.filePath(u"shown.png"_s)).depth(), 64);
    EXPECT_EQ(run(u"every"_s), u"Capturing Frame:24 (9 of 9) 9 [0..9]"_s);
    QStringList files, listed;
    for (int n = 0; n <= 24; n += 3)
        files << u"%1.bmp"_s.arg(n, 4, 10, QLatin1Char('0'));
    EXPECT_EQ(QDir(folder.filePath(u"every"_s)).entryList(QDir::Files, QDir::Name),
              files + QStringList{u"manifest.csv"_s});
    QFile manifest(folder.filePath(u"every/manifest.csv"_s));
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    while (!manifest.atEnd())
        listed << QString::fromUtf8(manifest.readLine()).section(u',', 0, 0);
    EXPECT_EQ(listed, QStringList{u"file"_s} + files);

    // What a window saves after restoring what this one saved, or what a fresh one saves.
    const auto savedByNext = [&] {
        ProgramState fresh;
        frmmain next(fake.platform(), fresh, movie);
        restoreUserSettings(next, fake.settings);
        test::MemorySettings saved;
        saveUserSettings(next, saved);
        return saved.values;
    };
    saveUserSettings(*window, fake.settings);
    EXPECT_EQ(savedByNext(), fake.settings.values);
    QStringList chosen;
    for (const char* key :
         {"Selection", "Every", "NameTemplate", "Manifest", "KeepHdr", "Metadata", "PngDepth16",
          "Deinterlace"})
        chosen << fake.settings.values.value(u"Preferences/"_s + QLatin1String(key));
    EXPECT_EQ(chosen.join(u' '), u"every 3 {n:04} csv 1 1 1 1"_s);
    window->capture->setOptions({});
    EXPECT_TRUE(graphs.last->toneMapping && !graphs.last->deinterlace);
    saveUserSettings(*window, fake.settings);
    const auto defaults = fake.settings.values;
    const std::pair<const char*, const char*> unusable[] = {
        {"Selection", "some"}, {"Every", "0"}, {"PerSecond", "1000.5"}, {"SceneThreshold", "-1"},
        {"MinGap", "x"}, {"NameTemplate", "a/{n}"}, {"Manifest", "xml"}, {"KeepHdr", "yes"},
        {"Metadata", "2"}, {"PngDepth16", "16"}, {"Deinterlace", "on"}};
    for (const auto& [key, value] : unusable)
        fake.settings.values[u"Preferences/"_s + QLatin1String(key)] = QLatin1String(value);
    EXPECT_EQ(savedByNext(), defaults);
}
