// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work done on a thread of its own, for seconds of work the windows must not wait on (a voice
// reading notes). Its answers come back in the thread of a context object, in the order sent.
// One piece of work at a time: Start and the task's end first stop the one before and wait
// for it; a stopped piece's answers that have not arrived yet are dropped.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QObject;

class BackgroundTask {
public:
    // Sends an answer to the context's thread.
    using Post = std::function<void(std::function<void()>)>;
    using Stopped = std::function<bool()>;

    // context outlives the task.
    explicit BackgroundTask(QObject* context) : context_(context) {}
    ~BackgroundTask();
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // work runs on the task's thread; it asks stopped between its steps.
    void Start(std::function<void(const Post& post, const Stopped& stopped)> work);
    // The work ends at its next step; what it sent and has not arrived is dropped.
    void Stop();
    // Until the work is over.
    void Wait();

private:
    QObject* context_;
    std::thread thread_;
    std::shared_ptr<std::atomic<bool>> stopped_;
};
