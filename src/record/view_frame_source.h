// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame source of a show rendered on the recorder's clock: each picture is the browser
// view's own rendering, cut to the same part of the view that a screen grab records and
// trimmed of black border rows once per session, so both sources record the same pixels.
// It does not depend on where the window is or what covers it; the pointer it draws is the one
// a performance's log puts over the slide.

#include "platform/show_renderer.h"
#include "record/frame_source.h"

class ViewFrameSource : public FrameSource {
public:
    // renderer is not owned and outlives the source.
    explicit ViewFrameSource(ShowRenderer& renderer);

    // Holds the show's clock: from the session's start the show moves on only with its slots.
    void BeginSession() override;
    // A moment the show drew nothing new for repeats the last picture without a rendering.
    void Grab(Picture& picture) override;
    // The pointer the log put over the slide (PointAt), in the picture of its shape.
    void DrawPointer(Picture& picture) override;
    SampleScale Scale() const override { return scale_; }
    bool ShowHasEnded() override { return renderer_.Ended(); }
    void PerformSlideAction() override { renderer_.SlideAction(); }
    void PerformSlideStep(SlideStep step) override { renderer_.SlideStepAction(step); }
    void PointAt(const std::optional<PointerSample>& sample) override { pointer_ = sample; }
    ShownSlide CurrentSlide() override { return renderer_.CurrentSlide(); }
    int SelfAdvanceMs() override { return renderer_.SelfAdvanceMs(); }

private:
    ShowRenderer& renderer_;
    ScreenRect rect_;   // in the view's pixels
    SampleScale scale_;
    Picture view_;      // the last rendering of the whole view
    Picture last_;      // the last picture given out
    bool haveLast_ = false;
    std::optional<PointerSample> pointer_;
};
