// The main window on a desktop: a file named on the command line or dropped on the window
// opens as the Open command opens it, the user's choices come back at the next start, and
// frames are saved as bitmap, PNG or JPEG, singly and in a bulk run.

#include "MainWindowFixture.h"

#include "app/FileDrop.h"
#include "app/Launch.h"
#include "app/UserSettings.h"
#include "capture/CaptureSettings.h"
#include "media/ffmpeg/FfmpegGraph.h"
#include "support/MediaGenerator.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

using namespace kadrel;
using namespace kadrel::test;

namespace {

class DesktopTest : public MainWindowTest {
protected:
    DesktopTest() : MainWindowTest(makeFfmpegGraph)
    {
        EXPECT_TRUE(generateClip({.frames = 30}, clip).ok());  // 1.2 s
    }

    // Delivers a drag of urls onto the window and then its drop; whether the drop was taken.
    bool drop(frmmain& target, const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&target, &enter);
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                           Qt::NoModifier);
        QCoreApplication::sendEvent(&target, &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    }

    const QString clip = folder.filePath(QStringLiteral("clip.avi"));
};

// Started with a file, with and without tips at start-up: the tip window comes first, then
// the file is open and playing; a name that is no file opens nothing.
TEST_F(DesktopTest, FileOnTheCommandLineOpensAfterTheTipWindow)
{
    const struct { QString file; const char* tips; bool opens; } starts[] = {
        {clip, "1", true},
        {clip, "0", true},
        {folder.filePath(QStringLiteral("none.avi")), "1", false}};
    for (const auto& start : starts) {
        SCOPED_TRACE(start.tips);
        ProgramState fresh;
        ActiveMovieControl session(fresh, fake.screen, makeFfmpegGraph);
        fake.settings.values[QStringLiteral("Options/Show Tips at Startup")] =
            QLatin1String(start.tips);
        std::unique_ptr<frmmain> started;
        startProgram({fake.platform(), fresh, session, folder.path(), start.file}, started);
        ASSERT_TRUE(started);
        const QWidgetList tips = [] {
            QWidgetList found;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->inherits("kadrel::frmTip") && w->isVisible())
                    found << w;
            return found;
        }();
        EXPECT_EQ(tips.size(), *start.tips == '1' ? 1 : 0);
        EXPECT_EQ(started->isEnabled(), tips.isEmpty());  // the tip window holds it until closed
        EXPECT_EQ(fresh.loadedFile, start.opens ? clip : QString());
        EXPECT_EQ(started->windowTitle(),
                  start.opens ? kMainCaption + QStringLiteral("(clip.avi)") : kMainCaption);
        EXPECT_EQ(started->lblstate->text(), start.opens ? QStringLiteral("Playing") : QString());
        qDeleteAll(tips);
        started->setProgramEnd([] {});
        started.reset();
    }
}

// A local file dropped on the window opens; a web address, or any drop while Open is out of
// reach (a bulk run), is refused and changes nothing.
TEST_F(DesktopTest, DroppedFileOpensWhenOpenIsAvailable)
{
    acceptFileDrops(*window);
    EXPECT_FALSE(drop(*window, {QUrl(QStringLiteral("https://example.org/clip.avi"))}));
    EXPECT_TRUE(state.loadedFile.isEmpty());
    window->mnuopen->setEnabled(false);
    EXPECT_FALSE(drop(*window, {QUrl::fromLocalFile(clip)}));
    EXPECT_TRUE(state.loadedFile.isEmpty());
    window->mnuopen->setEnabled(true);
    EXPECT_TRUE(drop(*window, {QUrl(QStringLiteral("https://example.org/a.avi")),
                               QUrl::fromLocalFile(clip)}));
    EXPECT_EQ(state.loadedFile, clip);
    EXPECT_EQ(window->windowTitle(), kMainCaption + QStringLiteral("(clip.avi)"));
    EXPECT_TRUE(window->capture->isEnabled());
}

// Volume, mute, repeat, output folder and type and the folder opened last are stored under
// keys of their own and put back on a new window; unreadable values leave the defaults.
TEST_F(DesktopTest, ChoicesComeBackAtTheNextStart)
{
    open(QStringLiteral("clip.avi"));
    window->Slider2->setValue(40);
    window->mnumute_Click();
    window->mnurepeat_Click();
    window->capture->txtout->setText(folder.filePath(QStringLiteral("frames")));
    window->capture->lsttypes->setCurrentRow(1);
    saveUserSettings(*window, fake.settings);
    const QString opened = QDir(folder.path()).absolutePath() + u'/';
    const QStringList stored{
        QStringLiteral("Preferences/Volume=40"), QStringLiteral("Preferences/Mute=1"),
        QStringLiteral("Preferences/Repeat=0"),
        QStringLiteral("Preferences/OutputFolder=") + folder.filePath(QStringLiteral("frames")),
        QStringLiteral("Preferences/OutputType=png"),
        QStringLiteral("Preferences/OpenFolder=") + opened};
    EXPECT_EQ(fake.settings.writes, stored);

    const auto restored = [&] {
        ProgramState fresh;
        frmmain next(fake.platform(), fresh, movie);
        next.Form_Load();
        restoreUserSettings(next, fake.settings);
        fake.fileDialog.replies = {QString()};
        next.mnuopen_Click();
        return QStringLiteral("%1 %2%3%4 %5 %6 %7")
            .arg(next.Slider2->value())
            .arg(next.mnumute->isChecked()).arg(fresh.muted).arg(next.cmdmute1->isVisibleTo(&next))
            .arg(next.mnurepeat->isChecked())
            .arg(imageFormatInfo(next.capture->outputFormat()).name)
            .arg(fake.fileDialog.calls.back().request.initialFolder == opened);
    };
    EXPECT_EQ(restored(), QStringLiteral("40 111 0 png 1"));
    for (const char* key : {"Volume", "Mute", "Repeat", "OutputType", "OpenFolder"})
        fake.settings.values[QStringLiteral("Preferences/") + QLatin1String(key)] =
            QStringLiteral("x");
    EXPECT_EQ(restored(), QStringLiteral("100 000 1 bmp 0"));
    // The position slider's setting is written on closing, as before.
    window->Form_Unload();
    EXPECT_TRUE(fake.settings.values.contains(QStringLiteral("Settings/volume")));
}

// The Save Frame As dialog offers the three types and the file's type follows its extension;
// a bulk run writes the type chosen in the Output Type list, frame for frame.
TEST_F(DesktopTest, FramesAreSavedInTheChosenType)
{
    open(QStringLiteral("clip.avi"));
    window->cmdplay1_Click();
    window->cmdstep_Click();  // one second on
    const QStringList shots{folder.filePath(QStringLiteral("shot.png")),
                            folder.filePath(QStringLiteral("shot.jpg")),
                            folder.filePath(QStringLiteral("shot.bmp"))};
    for (const QString& shot : shots) {
        fake.fileDialog.replies = {shot};
        window->cmdcapture_Click();
        EXPECT_EQ(frameIndexFromImageFile(shot), 25) << qPrintable(shot);
    }
    EXPECT_EQ(QImage(shots[0]).format() == QImage::Format_RGB32, true);
    EXPECT_EQ(QImageReader(shots[1]).format(), QByteArray("jpeg"));
    EXPECT_EQ(fake.fileDialog.calls.back().request.nameFilters,
              (QStringList{"Bitmap Image (*.bmp) (*.bmp)", "PNG Image (*.png) (*.png)",
                           "JPEG Image (*.jpg) (*.jpg)"}));
    EXPECT_EQ(window->capture->lsttypes->count(), 3);

    for (const char* type : {"png", "jpg"}) {
        const QString out = folder.filePath(QLatin1String(type));
        window->capture->lsttypes->setCurrentRow(type[0] == 'p' ? 1 : 2);
        window->capture->txtout->setText(out);
        window->capture->cmdbulkcapture_Click();
        const QStringList files = QDir(out).entryList(QDir::Files, QDir::Name);
        EXPECT_EQ(files.size(), 30) << type;  // every frame of the clip
        for (int n = 0; n < 30; ++n)
            EXPECT_EQ(frameIndexFromImageFile(
                          out + QStringLiteral("/frame%1.%2").arg(n).arg(QLatin1String(type))),
                      n);
    }
}

}  // namespace
