// SPDX-License-Identifier: GPL-3.0-or-later
// A narration made on its own thread: its progress, warnings and outcome reach the context's
// thread, an error comes back as its message, and a stopped one answers nothing.
#include "record/narration_job.h"

#include "core/deckrec_error.h"
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
    bool allHere = true;
    std::vector<int> progress;
    std::optional<NarrationJob::Outcome> outcome;
    const auto onProgress = [&](int slide, int) {
        progress.push_back(slide);
        allHere &= std::this_thread::get_id() == here;
    };
    const auto onDone = [&](NarrationJob::Outcome answer) {
        outcome = std::move(answer);
        allHere &= std::this_thread::get_id() == here;
    };

    job.Start(
        [](const NarrationReports& reports) {
            for (int slide = 0; slide < 3; ++slide) {
                reports.progress(slide, 3);
                if (slide == 1)
                    reports.warning("slide 2 keeps the latency");
            }
            NarrationPlan plan;
            plan.log.endMs = 1234;
            return plan;
        },
        onProgress, onDone);
    ASSERT_TRUE(WaitFor([&] { return outcome.has_value(); }, 10000));
    EXPECT_EQ(progress, (std::vector<int>{0, 1, 2}));
    ASSERT_TRUE(outcome->plan.has_value());
    EXPECT_EQ(outcome->plan->log.endMs, 1234);
    EXPECT_EQ(outcome->warnings, std::vector<std::string>{"slide 2 keeps the latency"});
    EXPECT_TRUE(allHere);

    outcome.reset();
    job.Start([](const NarrationReports&) -> NarrationPlan { throw DeckrecError("no voice is named \"x\""); }, onProgress,
              onDone);
    ASSERT_TRUE(WaitFor([&] { return outcome.has_value(); }, 10000));
    EXPECT_FALSE(outcome->plan.has_value());
    EXPECT_EQ(outcome->error, "no voice is named \"x\"");

    // A narration that reads until it is stopped: what it sends then goes unheard.
    outcome.reset();
    progress.clear();
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
    job.Stop();
    job.Wait();
    WaitFor([] { return false; }, 100);
    EXPECT_TRUE(progress.empty());
    EXPECT_FALSE(outcome.has_value());
}
