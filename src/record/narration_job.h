// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A narration made on a thread of its own: a voice takes seconds to read a slide's notes, and
// the windows stay answerable meanwhile. Its progress and its outcome come back in the thread
// of the context object. One narration at a time: a new one, or the job's end, first stops the
// one before and waits for it, since both would write the same sound file.

#include "platform/background_task.h"
#include "record/deck_narration.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class NarrationJob {
public:
    struct Outcome {
        std::optional<NarrationPlan> plan; // none: error says why
        std::string error;
        std::vector<std::string> warnings;
    };
    // Makes the narration with the reports it is handed (warnings, progress, stopped).
    using Work = std::function<NarrationPlan(const NarrationReports&)>;

    // Answers reach context's thread; context outlives the job.
    explicit NarrationJob(QObject* context) : task_(context) {}

    void Start(Work work, std::function<void(int slide, int slideCount)> progress, std::function<void(Outcome)> done);
    // The running narration ends at its next slide; neither its progress nor its outcome comes.
    void Stop() { task_.Stop(); }
    // Until no narration runs.
    void Wait() { task_.Wait(); }

private:
    BackgroundTask task_;
};
