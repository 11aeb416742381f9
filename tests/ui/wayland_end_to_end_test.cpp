// SPDX-License-Identifier: GPL-3.0-or-later
// The windows on a Wayland display, where no program may read the screen: Record Now with Exact
// timing off says so and offers the show's own clock, and a live performance on that clock
// records and exports the presenter's clicks as it does under X. under_wayland.sh runs it on a
// headless weston, with no X display to fall back on.
#include "live_performance_fixture.h"
#include "ui/widget_input_injector.h"

#include <QGuiApplication>

class WaylandPerformance : public LivePerformance {
protected:
    // Weston takes no synthetic input from a client: the clicks reach the view as Qt events,
    // the way the display's own input does.
    std::shared_ptr<InputInjector> Presenter() override { return std::make_shared<WidgetInputInjector>(); }
};

TEST_F(WaylandPerformance, RecordNowOffersExactTimingAndThePresentersClicksAreExported)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    form1_->checkbox_exacttime->setChecked(false);
    dialogs_.fileNames.push_back(DECKREC_SAMPLE_PRESENTATION);
    form1_->Button1->click();
    // No goes back to the Main window with nothing changed; Yes turns Exact timing on and
    // opens the Recorder.
    dialogs_.confirmations = {false, true};
    form1_->recordernow->click();
    ASSERT_EQ(dialogs_.questions.size(), 1);
    EXPECT_TRUE(dialogs_.questions[0].contains("cannot be captured (Wayland)")) << dialogs_.questions[0].toStdString();
    EXPECT_FALSE(form2_->isVisible());
    EXPECT_FALSE(form1_->checkbox_exacttime->isChecked());
    form1_->recordernow->click();
    EXPECT_TRUE(form1_->checkbox_exacttime->isChecked());
    EXPECT_TRUE(form2_->isVisible());
    form2_->button_cancel->click();
    ASSERT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 10000));

    // Clicks at uneven moments, each shown in the export where it was logged.
    const QString mp4 = PerformAndExport("30", "wayland.mp4", {}, {800, 2100, 2900});
    if (mp4.isEmpty() || HasFailure())
        return;
    EXPECT_TRUE(rendering_) << "the Recorder shows how far the rendering is";
    ExpectClicksShownWhereLogged(mp4);
}
