// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/narration_job.h"

#include "platform/interruption.h"

void NarrationJob::Start(Work work, std::function<void(int, int)> progress, std::function<void(Outcome)> done)
{
    task_.Start([work = std::move(work), progress = std::move(progress), done = std::move(done)](
                    const BackgroundTask::Post& post, const BackgroundTask::Stopped& stopped) {
        std::vector<std::string> warnings;
        NarrationReports reports;
        reports.warning = [&warnings](const std::string& text) { warnings.push_back(text); };
        reports.progress = [&progress, &post](int slide, int count) {
            if (progress)
                post([progress, slide, count] { progress(slide, count); });
        };
        reports.stopped = stopped;
        Outcome outcome;
        try {
            outcome.plan = work(reports);
        } catch (const InterruptedError&) {
            return;
        } catch (const std::exception& error) {
            outcome.error = error.what();
        }
        outcome.warnings = std::move(warnings);
        post([done, outcome = std::move(outcome)]() mutable { done(std::move(outcome)); });
    });
}
