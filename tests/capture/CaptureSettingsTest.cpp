// The capture settings frame before a run: its layout, the set-up for a new video, the option
// buttons, the From/To rules and the output folder button.

#include "CaptureFixture.h"

#include "dialogs/frmdir.h"

#include <QApplication>
#include <QListWidget>

namespace kadrel {
namespace {

using test::CaptureFixture;

class CaptureSettingsTest : public CaptureFixture {};

TEST_F(CaptureSettingsTest, StartUpLayout)
{
    const CaptureSettings& s = *settings;
    EXPECT_EQ(s.size(), QSize(345, 353));
    EXPECT_EQ(s.Label1->text(), QStringLiteral("Selected Movie:"));
    EXPECT_EQ(s.txtfile->geometry(), QRect(96, 24, 241, 21));
    EXPECT_EQ(s.Label6->text(), QStringLiteral("Output &Directory:"));
    EXPECT_EQ(s.Label6->buddy(), s.txtout);
    EXPECT_EQ(s.txtout->geometry(), QRect(96, 56, 217, 22));
    EXPECT_EQ(s.cmddir->text(), QStringLiteral("..."));
    EXPECT_EQ(s.cmddir->toolTip(), QStringLiteral("Open Directory List"));
    EXPECT_EQ(s.cmddir->geometry(), QRect(320, 56, 17, 25));
    EXPECT_EQ(s.Label7->text(), QStringLiteral("Output &Type:"));
    ASSERT_EQ(s.lsttypes->count(), 1);
    EXPECT_EQ(s.lsttypes->item(0)->text(), QStringLiteral("Bitmap Image (*.bmp)"));
    EXPECT_EQ(s.Option1->text(),
              QStringLiteral("Full Video Capture (Captures all the frames in the video)"));
    EXPECT_EQ(s.Option2->text(),
              QStringLiteral("&From To Capture (Captures the frames inside the selected region) "));
    EXPECT_EQ(s.Option2->geometry(), QRect(8, 152, 329, 25));
    EXPECT_EQ(s.sldfrom->toolTip(), QStringLiteral("Media Position..."));
    EXPECT_EQ(s.sldto->geometry(), QRect(24, 240, 299, 29));
    EXPECT_EQ(s.Label2->text(), QStringLiteral("Capturing Frame: "));
    EXPECT_EQ(s.ProgressBar1->geometry(), QRect(8, 288, 326, 25));
    EXPECT_EQ(s.cmdbulkcapture->text(), QStringLiteral("&Begin Capture"));
    EXPECT_EQ(s.cmdbulkcapture->toolTip(), QStringLiteral("Begin frame capture..."));
    EXPECT_EQ(s.cmdbulkcapture->geometry(), QRect(32, 320, 105, 25));
    EXPECT_EQ(s.cmdcancel->text(), QStringLiteral("&Cancel Capture"));
    EXPECT_EQ(s.cmdcancel->toolTip(), QStringLiteral("Cancel Capture process"));
    EXPECT_EQ(s.cmdcancel->geometry(), QRect(200, 320, 105, 25));

    EXPECT_TRUE(s.Option1->isChecked());
    EXPECT_FALSE(s.Option2->isChecked());
    EXPECT_FALSE(s.lblfrom->isEnabled());
    EXPECT_FALSE(s.lblto->isEnabled());
    EXPECT_FALSE(s.Label2->isEnabled());
    EXPECT_FALSE(s.cmdbulkcapture->isEnabled());
    EXPECT_FALSE(s.cmdcancel->isEnabled());
    EXPECT_TRUE(s.txtout->text().isEmpty());
    EXPECT_TRUE(s.txtfile->text().isEmpty());
    EXPECT_EQ(s.frameCount(), 0);
}

TEST_F(CaptureSettingsTest, ActivatebulkPreparesTheRangesForTheVideo)
{
    open();
    EXPECT_EQ(settings->frameCount(), 250);
    EXPECT_EQ(settings->sldfrom->minimum(), 0);
    EXPECT_EQ(settings->sldfrom->maximum(), 249);
    EXPECT_EQ(settings->sldto->maximum(), 250);
    EXPECT_EQ(settings->ProgressBar1->minimum(), 0);
    EXPECT_EQ(settings->ProgressBar1->maximum(), 250);
    EXPECT_EQ(settings->ProgressBar1->value(), 0);
    EXPECT_EQ(settings->txtfile->text(), QStringLiteral("/media/clip.avi"));
    EXPECT_EQ(settings->txtout->text(), programDir.path() + QStringLiteral("/"));
    EXPECT_EQ(settings->outputExtension(), QStringLiteral(".bmp"));
    EXPECT_FALSE(settings->cancelCapture());
    EXPECT_TRUE(state.positionHeld);
}

TEST_F(CaptureSettingsTest, ActivatebulkKeepsAnExistingFolderAndReplacesAMissingOne)
{
    settings->txtout->setText(outDir.path());
    open();
    EXPECT_EQ(settings->txtout->text(), outDir.path());

    settings->txtout->setText(outFolder(QStringLiteral("gone")));
    ASSERT_TRUE(settings->activatebulk().ok());
    EXPECT_EQ(settings->txtout->text(), programDir.path() + QStringLiteral("/"));
}

TEST_F(CaptureSettingsTest, FrameCountRoundsHalfToEven)
{
    graphs.script->duration = 1.25;
    graphs.script->timePerFrame = 0.5;
    open();
    EXPECT_EQ(settings->frameCount(), 2);
}

TEST_F(CaptureSettingsTest, MediaWithoutVideoChangesNothing)
{
    open();
    settings->txtout->clear();
    graphs.script->hasVideo = false;
    ASSERT_TRUE(movie.OpenMedia(QStringLiteral("/media/song.wav")).ok());
    state.loadedFile = QStringLiteral("/media/song.wav");
    EXPECT_FALSE(settings->activatebulk().ok());
    EXPECT_EQ(settings->frameCount(), 250);
    EXPECT_EQ(settings->txtfile->text(), QStringLiteral("/media/clip.avi"));
    EXPECT_TRUE(settings->txtout->text().isEmpty());
}

TEST_F(CaptureSettingsTest, ANewShorterVideoPullsTheValuesIntoItsRanges)
{
    open();
    useRange(200, 240);
    graphs.script->duration = 4.0;  // 100 frames
    ASSERT_TRUE(movie.OpenMedia(QStringLiteral("/media/short.avi")).ok());
    ASSERT_TRUE(settings->activatebulk().ok());
    EXPECT_EQ(settings->sldfrom->value(), 99);
    EXPECT_EQ(settings->sldto->value(), 100);
    EXPECT_EQ(settings->sldto->maximum(), 100);
    EXPECT_FALSE(settings->sldto->isEnabled());
    EXPECT_EQ(settings->lblfrom->text(), QStringLiteral("From 99"));
    EXPECT_TRUE(state.positionHeld);
}

TEST_F(CaptureSettingsTest, FromAtItsMaximumFixesToAtTheEnd)
{
    open();
    settings->Option2->setChecked(true);
    settings->sldfrom->setValue(249);
    EXPECT_EQ(settings->sldto->value(), 250);
    EXPECT_FALSE(settings->sldto->isEnabled());
    EXPECT_EQ(settings->lblto->text(), QStringLiteral("To 250"));

    settings->sldfrom->setValue(100);
    EXPECT_TRUE(settings->sldto->isEnabled());
    EXPECT_EQ(settings->sldto->value(), 250);
    EXPECT_EQ(settings->sldto->minimum(), 101);
}

TEST_F(CaptureSettingsTest, FromPushesToUpAndTheLabelsFollow)
{
    open();
    settings->Option2->setChecked(true);
    settings->sldto->setValue(50);
    EXPECT_EQ(settings->lblto->text(), QStringLiteral("To 50"));
    settings->sldfrom->setValue(100);
    EXPECT_EQ(settings->sldto->value(), 101);
    EXPECT_EQ(settings->lblto->text(), QStringLiteral("To 101"));
    EXPECT_EQ(settings->lblfrom->text(), QStringLiteral("From 100"));
    // The label grew to show its whole caption.
    EXPECT_GE(settings->lblfrom->width(), settings->lblfrom->sizeHint().width());
}

TEST_F(CaptureSettingsTest, MovingARangeSliderShowsItsFrameOnTheMainWindow)
{
    open();
    host.log.clear();
    settings->sldfrom->setValue(37);  // 1.48 s
    EXPECT_EQ(settings->lblfrom->text(), QStringLiteral("From 37"));
    EXPECT_EQ(host.log.mid(0, 2), (QStringList{QStringLiteral("Slider1=1"),
                                               QStringLiteral("Slider1_Click")}));
    settings->sldto->setValue(100);  // 4 s
    EXPECT_EQ(host.slider1, 4);
    EXPECT_EQ(host.log.last(), QStringLiteral("Slider1_Click"));
}

TEST_F(CaptureSettingsTest, OptionButtonsSwitchTheRangeControls)
{
    open();
    settings->Option2->setChecked(true);
    EXPECT_TRUE(settings->sldfrom->isEnabled());
    EXPECT_TRUE(settings->sldto->isEnabled());
    EXPECT_TRUE(settings->lblfrom->isEnabled());
    EXPECT_TRUE(settings->lblto->isEnabled());

    settings->Option1->setChecked(true);
    EXPECT_FALSE(settings->sldfrom->isEnabled());
    EXPECT_FALSE(settings->sldto->isEnabled());
    EXPECT_FALSE(settings->lblfrom->isEnabled());
    EXPECT_FALSE(settings->lblto->isEnabled());

    settings->sldfrom->setValue(30);
    settings->Option2->setChecked(true);
    EXPECT_EQ(settings->sldto->minimum(), 31);
    EXPECT_EQ(settings->sldto->maximum(), 250);
}

TEST_F(CaptureSettingsTest, FolderButtonOpensTheChooserOverTheMainWindow)
{
    open();
    host.window.show();
    settings->cmddir->click();
    frmdir* chooser = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<frmdir*>(window); found && found->isVisible())
            chooser = found;
    }
    ASSERT_NE(chooser, nullptr);
    EXPECT_FALSE(host.window.isEnabled());
    ASSERT_TRUE(chooser->Dir1->setPath(outDir.path()).ok());
    chooser->Command1_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(settings->txtout->text(), QDir(outDir.path()).canonicalPath());
    EXPECT_TRUE(host.window.isEnabled());
}

}  // namespace
}  // namespace kadrel
