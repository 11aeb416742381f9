// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One connection to the PulseAudio server with its own event thread (pa_threaded_mainloop).
// Every wait is bounded, so that a sound server that is missing, or that accepts a connection
// and never answers, costs at most the given time instead of hanging the window.

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

#include <functional>
#include <memory>
#include <string>

class PulseConnection {
public:
    // Connects without starting a server. Null when none answers within timeoutMs;
    // error then says why.
    static std::unique_ptr<PulseConnection> Connect(const char* clientName, int timeoutMs, std::string* error);
    ~PulseConnection();

    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    pa_context* context() const { return context_; }
    pa_threaded_mainloop* mainloop() const { return mainloop_; }

    // Holds the event thread's lock; every pa_context and pa_stream call needs it.
    class Lock {
    public:
        explicit Lock(const PulseConnection& c) : loop_(c.mainloop_) { pa_threaded_mainloop_lock(loop_); }
        ~Lock() { pa_threaded_mainloop_unlock(loop_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* loop_;
    };

    // With the lock held: waits until done() holds, the connection breaks or timeoutMs passes.
    // Callbacks that change what done() looks at must call wake(). True when done() holds.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    // With the lock held: waits for op to finish and releases it; a late op is cancelled, so
    // that its callback never runs on data that has gone. True when it finished in time.
    bool await(pa_operation* op, int timeoutMs);
    // Wakes the waiters; callable from callbacks on the event thread.
    void wake() { pa_threaded_mainloop_signal(mainloop_, 0); }

    // With the lock held: false once the server has gone.
    bool alive() const;

    // Server change events (sinks, sources, server defaults), delivered on the event thread.
    using EventHandler = std::function<void(pa_subscription_event_type_t type, uint32_t index)>;
    // With the lock held. Returns an id for removeEventHandler.
    int addEventHandler(EventHandler handler);
    void removeEventHandler(int id);

private:
    PulseConnection();
    static void onState(pa_context* c, void* self);
    static void onEvent(pa_context* c, pa_subscription_event_type_t type, uint32_t index, void* self);

    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    struct Handlers;
    std::unique_ptr<Handlers> handlers_;
};

// Time limits of the sound server calls.
constexpr int kPulseConnectTimeoutMs = 1500;
constexpr int kPulseCallTimeoutMs = 1000;
