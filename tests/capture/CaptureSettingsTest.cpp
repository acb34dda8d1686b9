// The capture settings frame before a run: the set-up for a new video, the option buttons and
// the From/To rules.

#include "CaptureFixture.h"

namespace kadrel {
namespace {

using CaptureSettingsTest = test::CaptureFixture;

TEST_F(CaptureSettingsTest, ActivatebulkCountsTheFramesAndPreparesTheRanges)
{
    const struct { double duration, timePerFrame; const char* ranges; } videos[] = {
        {10.0, 0.04, "250 [0..249] [..250] [0..250]"},
        {1.0, 0.04, "25 [0..24] [..25] [0..25]"},
        {1.25, 0.5, "2 [0..1] [..2] [0..2]"}};  // 2.5 goes to the even frame
    for (const auto& video : videos) {
        graphs.script->duration = video.duration;
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
        {[&] { settings.Option2->setChecked(true); }, "From | To 1 [1..250] | 11 | 0"},
        {[&] { settings.sldto->setValue(50); }, "From | To 50 [1..250] | 11 | 2"},
        {[&] { settings.sldfrom->setValue(100); }, "From 100 | To 101 [101..250] | 11 | 4"},
        // From at its maximum fixes To at the end.
        {[&] { settings.sldfrom->setValue(249); }, "From 249 | To 250 [101..250] | 10 | 10"},
        {[&] { settings.sldfrom->setValue(100); }, "From 100 | To 250 [101..250] | 11 | 4"},
        {[&] { settings.Option1->setChecked(true); }, "From 100 | To 250 [101..250] | 00 | 4"},
        {[&] { settings.sldfrom->setValue(30), settings.Option2->setChecked(true); },
         "From 30 | To 250 [31..250] | 11 | 1"},
        // A shorter video pulls the values into its ranges.
        {[&] { useRange(200, 240), graphs.script->duration = 4.0, open(); },
         "From 99 | To 100 [100..100] | 10 | 4"},
    };
    for (const auto& [step, expected] : steps) {
        step();
        EXPECT_EQ(ranges(), QLatin1String(expected));
    }
    EXPECT_TRUE(state.positionHeld);
}

}  // namespace
}  // namespace kadrel
