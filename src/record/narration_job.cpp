// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/narration_job.h"

#include "core/deckrec_error.h"
#include "platform/interruption.h"

#include <QMetaObject>
#include <QObject>

NarrationJob::~NarrationJob()
{
    Stop();
    Wait();
}

void NarrationJob::Stop()
{
    if (stopped_)
        *stopped_ = true;
}

void NarrationJob::Wait()
{
    if (thread_.joinable())
        thread_.join();
}

void NarrationJob::Start(Work work, std::function<void(int, int)> progress, std::function<void(Outcome)> done)
{
    Stop();
    Wait();
    auto stopped = std::make_shared<std::atomic<bool>>(false);
    stopped_ = stopped;
    QObject* context = context_;
    // Answers are posted, and dropped on arrival once the narration was stopped meanwhile.
    const auto post = [context, stopped](std::function<void()> answer) {
        QMetaObject::invokeMethod(
            context,
            [stopped, answer = std::move(answer)] {
                if (!*stopped)
                    answer();
            },
            Qt::QueuedConnection);
    };
    thread_ = std::thread([work = std::move(work), progress = std::move(progress), done = std::move(done), stopped, post] {
        auto warnings = std::make_shared<std::vector<std::string>>();
        NarrationReports reports;
        reports.warning = [warnings](const std::string& text) { warnings->push_back(text); };
        reports.progress = [progress, post](int slide, int count) {
            if (progress)
                post([progress, slide, count] { progress(slide, count); });
        };
        reports.stopped = [stopped] { return stopped->load(); };
        Outcome outcome;
        try {
            outcome.plan = work(reports);
        } catch (const InterruptedError&) {
            return;
        } catch (const std::exception& error) {
            outcome.error = error.what();
        }
        outcome.warnings = std::move(*warnings);
        post([done, outcome = std::move(outcome)]() mutable { done(std::move(outcome)); });
    });
}
