// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pulse/pulse_connection.h"

#include <pulse/error.h>
#include <pulse/rtclock.h>
#include <pulse/timeval.h>

#include <map>

struct PulseConnection::Handlers {
    std::map<int, EventHandler> byId;
    int nextId = 1;
    bool subscribed = false;
};

PulseConnection::PulseConnection() : handlers_(std::make_unique<Handlers>()) {}

std::unique_ptr<PulseConnection> PulseConnection::Connect(const char* clientName, int timeoutMs, std::string* error)
{
    std::unique_ptr<PulseConnection> c(new PulseConnection);
    auto fail = [&](const std::string& why) -> std::unique_ptr<PulseConnection> {
        if (error)
            *error = why;
        return nullptr;
    };
    c->mainloop_ = pa_threaded_mainloop_new();
    if (!c->mainloop_)
        return fail("Can not create the sound event loop");
    c->context_ = pa_context_new(pa_threaded_mainloop_get_api(c->mainloop_), clientName);
    if (!c->context_)
        return fail("Can not create a sound server context");
    pa_context_set_state_callback(c->context_, &PulseConnection::onState, c.get());
    if (pa_threaded_mainloop_start(c->mainloop_) < 0)
        return fail("Can not start the sound event thread");

    Lock lock(*c);
    // Never start a server of our own: a missing server simply means no sound.
    if (pa_context_connect(c->context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return fail(pa_strerror(pa_context_errno(c->context_)));
    const bool ready = c->waitUntil([&] {
        const pa_context_state_t s = pa_context_get_state(c->context_);
        return s == PA_CONTEXT_READY || s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED;
    }, timeoutMs);
    if (!ready)
        return fail("The sound server did not answer in time");
    if (pa_context_get_state(c->context_) != PA_CONTEXT_READY)
        return fail(pa_strerror(pa_context_errno(c->context_)));
    return c;
}

PulseConnection::~PulseConnection()
{
    if (context_) {
        if (mainloop_) {
            Lock lock(*this);
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_set_subscribe_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        } else {
            pa_context_unref(context_);
        }
    }
    if (mainloop_) {
        pa_threaded_mainloop_stop(mainloop_);
        pa_threaded_mainloop_free(mainloop_);
    }
}

void PulseConnection::onState(pa_context*, void* self)
{
    static_cast<PulseConnection*>(self)->wake();
}

namespace {

struct Deadline {
    PulseConnection* connection;
    bool passed = false;
};

void OnDeadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata)
{
    auto* d = static_cast<Deadline*>(userdata);
    d->passed = true;
    d->connection->wake();
}

} // namespace

bool PulseConnection::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    Deadline deadline{this};
    pa_time_event* timer = pa_context_rttime_new(context_, pa_rtclock_now() + pa_usec_t(timeoutMs) * PA_USEC_PER_MSEC,
                                                 &OnDeadline, &deadline);
    if (!timer)
        return done();
    while (!done() && !deadline.passed)
        pa_threaded_mainloop_wait(mainloop_);
    pa_threaded_mainloop_get_api(mainloop_)->time_free(timer);
    return done();
}

bool PulseConnection::await(pa_operation* op, int timeoutMs)
{
    if (!op)
        return false;
    const bool finished = waitUntil([&] {
        return pa_operation_get_state(op) != PA_OPERATION_RUNNING || !alive();
    }, timeoutMs) && pa_operation_get_state(op) == PA_OPERATION_DONE;
    if (pa_operation_get_state(op) == PA_OPERATION_RUNNING)
        pa_operation_cancel(op);
    pa_operation_unref(op);
    return finished;
}

bool PulseConnection::alive() const
{
    return pa_context_get_state(context_) == PA_CONTEXT_READY;
}

int PulseConnection::addEventHandler(EventHandler handler)
{
    if (!handlers_->subscribed) {
        handlers_->subscribed = true;
        pa_context_set_subscribe_callback(context_, &PulseConnection::onEvent, this);
        const auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE |
                                                 PA_SUBSCRIPTION_MASK_SERVER);
        // Nobody waits for the answer: events are a courtesy, not something to block on.
        if (pa_operation* op = pa_context_subscribe(context_, mask, nullptr, nullptr))
            pa_operation_unref(op);
    }
    const int id = handlers_->nextId++;
    handlers_->byId.emplace(id, std::move(handler));
    return id;
}

void PulseConnection::removeEventHandler(int id)
{
    handlers_->byId.erase(id);
}

void PulseConnection::onEvent(pa_context*, pa_subscription_event_type_t type, uint32_t index, void* self)
{
    for (auto& [id, handler] : static_cast<PulseConnection*>(self)->handlers_->byId)
        handler(type, index);
}
