// SPDX-License-Identifier: GPL-3.0-or-later
// A narration made on its own thread: its progress, warnings and outcome reach the context's
// thread, and once stopped nothing it sends arrives. Also run under ThreadSanitizer.
#include "record/narration_job.h"

#include "platform/interruption.h"
#include "support/wait_for.h"

#include <QObject>
#include <gtest/gtest.h>
#include <thread>

TEST(NarrationJob, AnswersOnTheContextsThreadAndNothingOnceStopped)
{
    QObject context;
    NarrationJob job(&context);
    const std::thread::id here = std::this_thread::get_id();
    std::vector<int> progress;
    std::optional<NarrationJob::Outcome> outcome;
    const auto onProgress = [&](int slide, int) {
        EXPECT_EQ(std::this_thread::get_id(), here);
        progress.push_back(slide);
    };
    const auto onDone = [&](NarrationJob::Outcome answer) { outcome = std::move(answer); };

    // Reads until it is stopped, then sends what must go unheard; a second job waits for it.
    std::atomic<bool> reading = false;
    job.Start(
        [&reading](const NarrationReports& reports) -> NarrationPlan {
            reading = true;
            while (!reports.stopped())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            reports.progress(1, 1);
            throw InterruptedError();
        },
        onProgress, onDone);
    ASSERT_TRUE(WaitFor([&] { return reading.load(); }, 10000));
    job.Start(
        [](const NarrationReports& reports) {
            reports.progress(0, 1);
            reports.warning("slide 2 keeps the latency");
            NarrationPlan plan;
            plan.log.endMs = 1234;
            return plan;
        },
        onProgress, onDone);
    ASSERT_TRUE(WaitFor([&] { return outcome.has_value(); }, 10000));
    EXPECT_EQ(progress, std::vector<int>{0});
    ASSERT_TRUE(outcome->plan.has_value());
    EXPECT_EQ(outcome->plan->log.endMs, 1234);
    EXPECT_EQ(outcome->warnings, std::vector<std::string>{"slide 2 keeps the latency"});
}
