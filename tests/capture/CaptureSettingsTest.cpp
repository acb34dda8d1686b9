// The capture settings frame before a run: the set-up for a new video, the option buttons and
// the From/To rules.

#include "CaptureFixture.h"

namespace kadrel {
namespace {

using CaptureSettingsTest = test::CaptureFixture;

TEST_F(CaptureSettingsTest, ActivatebulkCountsTheFramesAndPreparesTheRanges)
{
    // The frame count, From's range, To's maximum and the progress bar's range: they end at
    // the last frame of the picture.
    const struct { double duration, videoEnd, timePerFrame; const char* ranges; } videos[] = {
        {10.0, 10.0, 0.04, "250 [0..248] [..249] [0..249]"},
        {1.0, 1.0, 0.04, "25 [0..23] [..24] [0..24]"},
        // The sound runs on for 3 s after the picture.
        {7.0, 4.0, 0.04, "100 [0..98] [..99] [0..99]"},
        // 29.97 frames per second: 10.01 s is 300 frames, whatever the rounding of 300 x T.
        {10.01, 10.01, 1001.0 / 30000, "300 [0..298] [..299] [0..299]"},
        // A frame must start half a frame before the end to be one of the picture's.
        {1.25, 1.25, 0.5, "2 [0..0] [..1] [0..1]"},
        {1.26, 1.26, 0.5, "3 [0..1] [..2] [0..2]"},
        // A single frame: From stays at 0.
        {0.04, 0.04, 0.04, "1 [0..0] [..1] [0..0]"}};
    for (const auto& video : videos) {
        graphs.script->duration = video.duration;
        graphs.script->videoEnd = video.videoEnd;
        graphs.script->timePerFrame = video.timePerFrame;
        open();
        const QProgressBar* bar = settings.ProgressBar1;
        EXPECT_EQ(QStringLiteral("%1 [%2..%3] [..%4] [%5..%6]")
                      .arg(settings.frameCount()).arg(settings.sldfrom->minimum())
                      .arg(settings.sldfrom->maximum()).arg(settings.sldto->maximum())
                      .arg(bar->minimum()).arg(bar->maximum()),
                  QLatin1String(video.ranges));
    }
    EXPECT_EQ(settings.txtfile->text(), QStringLiteral("/media/clip.avi"));
    // A missing output folder gives way to the default one; an existing one stays.
    EXPECT_EQ(settings.txtout->text(), programDir.path() + QStringLiteral("/"));
    settings.txtout->setText(outDir.path());
    ASSERT_TRUE(settings.activatebulk().ok());
    EXPECT_EQ(settings.txtout->text(), outDir.path());
}

TEST_F(CaptureSettingsTest, FromAndToKeepTheirOrderAndShowTheirFrame)
{
    // The captions, To's range, whether From and To respond, the main window's position.
    const auto ranges = [this] {
        return QStringLiteral("%1 | %2 [%3..%4] | %5%6 | %7")
            .arg(settings.lblfrom->text(), settings.lblto->text())
            .arg(settings.sldto->minimum()).arg(settings.sldto->maximum())
            .arg(settings.sldfrom->isEnabled()).arg(settings.sldto->isEnabled()).arg(slider1);
    };
    open();  // 250 frames
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[&] { settings.Option2->setChecked(true); }, "From | To 1 [1..249] | 11 | 0"},
        {[&] { settings.sldto->setValue(50); }, "From | To 50 [1..249] | 11 | 2"},
        {[&] { settings.sldfrom->setValue(100); }, "From 100 | To 101 [101..249] | 11 | 4"},
        // From at its maximum fixes To at the last frame.
        {[&] { settings.sldfrom->setValue(248); }, "From 248 | To 249 [101..249] | 10 | 10"},
        {[&] { settings.sldfrom->setValue(100); }, "From 100 | To 249 [101..249] | 11 | 4"},
        {[&] { settings.Option1->setChecked(true); }, "From 100 | To 249 [101..249] | 00 | 4"},
        {[&] { settings.sldfrom->setValue(30), settings.Option2->setChecked(true); },
         "From 30 | To 249 [31..249] | 11 | 1"},
        // A shorter picture pulls the values into its ranges, though its sound runs on.
        {[&] { useRange(200, 240), graphs.script->videoEnd = 4.0, open(); },
         "From 98 | To 99 [99..99] | 10 | 4"},
    };
    for (const auto& [step, expected] : steps) {
        step();
        EXPECT_EQ(ranges(), QLatin1String(expected));
    }
    EXPECT_TRUE(state.positionHeld);
}

}  // namespace
}  // namespace kadrel
