// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/background_task.h"

#include <QMetaObject>
#include <QObject>

BackgroundTask::~BackgroundTask()
{
    Stop();
    Wait();
}

void BackgroundTask::Stop()
{
    if (stopped_)
        *stopped_ = true;
}

void BackgroundTask::Wait()
{
    if (thread_.joinable())
        thread_.join();
}

void BackgroundTask::Start(std::function<void(const Post&, const Stopped&)> work)
{
    Stop();
    Wait();
    auto stopped = std::make_shared<std::atomic<bool>>(false);
    stopped_ = stopped;
    QObject* context = context_;
    // An answer is checked again on arrival: the work may have been stopped since it was sent.
    const Post post = [context, stopped](std::function<void()> answer) {
        QMetaObject::invokeMethod(
            context,
            [stopped, answer = std::move(answer)] {
                if (!*stopped)
                    answer();
            },
            Qt::QueuedConnection);
    };
    const Stopped isStopped = [stopped] { return stopped->load(); };
    thread_ = std::thread([work = std::move(work), post, isStopped] { work(post, isStopped); });
}
