// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A narration made on a thread of its own: a voice takes seconds to read a slide's notes, and
// the windows stay answerable meanwhile. Its progress and its outcome come back in the thread
// of the context object. One narration at a time: a new one, or the job's end, first stops the
// one before and waits for it, since both would write the same sound file.

#include "record/deck_narration.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class QObject;

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
    explicit NarrationJob(QObject* context) : context_(context) {}
    ~NarrationJob();
    NarrationJob(const NarrationJob&) = delete;
    NarrationJob& operator=(const NarrationJob&) = delete;

    void Start(Work work, std::function<void(int slide, int slideCount)> progress, std::function<void(Outcome)> done);
    // The running narration ends at its next slide; neither its progress nor its outcome comes.
    void Stop();
    // Until no narration runs.
    void Wait();

private:
    QObject* context_;
    std::thread thread_;
    std::shared_ptr<std::atomic<bool>> stopped_;
};
