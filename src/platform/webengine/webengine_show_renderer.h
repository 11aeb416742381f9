// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The show renderer over the WebEngine browser: the page's show clock is moved on from here,
// and the view's own rendering is taken, wherever the window is and whatever covers it.

#include "platform/show_renderer.h"

class WebEngineBrowser;

class WebEngineShowRenderer : public ShowRenderer {
public:
    // browser (not owned, outlives the renderer) must use the show clock (UseShowClock).
    explicit WebEngineShowRenderer(WebEngineBrowser& browser, int answerTimeoutMs = 20000);

    void HoldClock() override;
    void Advance(int ms) override;
    void SlideAction() override;
    void SlideStepAction(SlideStep step) override;
    void Render(Picture& picture) override;
    bool ChangedSinceRender() const override { return changed_; }
    bool Ended() const override { return ended_; }
    ShownSlide CurrentSlide() const override;
    int SelfAdvanceMs() const override;
    ScreenRect SlideArea() const override;

private:
    // One step in the page: the time moves on by ms (and by what earlier steps skipped), then
    // a slide action when one is named (a log's name: "next" is a click, the others keys);
    // waits for the page's answer.
    void Step(long long ms, const char* action);
    // Waits until the view's rendering shows the page's mark of the step.
    void WaitForMark(int step);

    WebEngineBrowser& browser_;
    int answerTimeoutMs_;
    int steps_ = 0;
    // Time not yet given to the page: steps in which nothing was due are not sent, since the
    // page would draw the same; the next real step carries them.
    long long pendingMs_ = 0;
    int nextDueMs_ = 0; // as of the last answer, minus what was skipped since; -1: nothing due
    bool changed_ = true;
    bool syncNext_ = false;
    bool ended_ = false;
};
