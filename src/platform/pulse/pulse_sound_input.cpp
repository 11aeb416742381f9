// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pulse/pulse_sound_input.h"

#include "platform/pulse/pulse_connection.h"
#include "platform/pulse/pulse_server_state.h"

#include <pulse/stream.h>
#include <pulse/timeval.h>

#include <algorithm>

namespace {

// Small fragments keep the tail that is still in flight at a stop short.
constexpr int kFragmentMs = 20;
// A device latency beyond this is a reading to distrust, not a delay to place sound by.
constexpr pa_usec_t kMostDeviceLatencyUs = 2 * PA_USEC_PER_SEC;

class PulseSoundCapture : public SoundCapture {
public:
    PulseSoundCapture(std::unique_ptr<PulseConnection> c, std::string input, const pa_sample_spec& sampleFormat)
        : c_(std::move(c)), input_(std::move(input)), sampleFormat_(sampleFormat) {}
    ~PulseSoundCapture() override { stop(); }

    bool start(SoundSink& sink) override;
    void stop() override;

private:
    static void onRead(pa_stream* s, size_t bytes, void* self);
    static void onState(pa_stream* s, void* self);
    void closeStream();
    // With the lock held: how long ago the oldest readable frame was captured.
    int64_t readableAgeUs(pa_stream* s) const;

    std::unique_ptr<PulseConnection> c_;
    const std::string input_;
    pa_sample_spec sampleFormat_;
    pa_stream* stream_ = nullptr;
    SoundSink* sink_ = nullptr;
};

bool PulseSoundCapture::start(SoundSink& sink)
{
    PulseConnection::Lock lock(*c_);
    if (stream_ || !c_->alive())
        return false;
    stream_ = pa_stream_new(c_->context(), "Deckrec recording", &sampleFormat_, nullptr);
    if (!stream_)
        return false;
    sink_ = &sink;
    pa_stream_set_state_callback(stream_, &PulseSoundCapture::onState, this);
    pa_stream_set_read_callback(stream_, &PulseSoundCapture::onRead, this);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(pa_usec_to_bytes(kFragmentMs * PA_USEC_PER_MSEC, &sampleFormat_));
    // The chosen input by name, and only it: a stream that the server may move would record
    // another device after a hot-plug. The timing updates tell how long sound waits in the
    // device before it reaches us.
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE | PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_record(stream_, input_.empty() ? nullptr : input_.c_str(), &attr, flags) < 0) {
        closeStream();
        return false;
    }
    c_->waitUntil([&] {
        const pa_stream_state_t st = pa_stream_get_state(stream_);
        return st == PA_STREAM_READY || st == PA_STREAM_FAILED || st == PA_STREAM_TERMINATED;
    }, kPulseConnectTimeoutMs);
    if (pa_stream_get_state(stream_) != PA_STREAM_READY) {
        closeStream();
        return false;
    }
    return true;
}

void PulseSoundCapture::stop()
{
    PulseConnection::Lock lock(*c_);
    closeStream();
}

void PulseSoundCapture::closeStream()
{
    if (!stream_)
        return;
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    if (pa_stream_get_state(stream_) == PA_STREAM_READY || pa_stream_get_state(stream_) == PA_STREAM_CREATING)
        pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
    sink_ = nullptr;
}

void PulseSoundCapture::onState(pa_stream*, void* self)
{
    static_cast<PulseSoundCapture*>(self)->c_->wake();
}

int64_t PulseSoundCapture::readableAgeUs(pa_stream* s) const
{
    // What waits in our queue was captured one after the other up to what the device still
    // holds; arrival time alone would place sound that queued up during a delay too late.
    const size_t readable = pa_stream_readable_size(s);
    pa_usec_t age = readable == size_t(-1) ? 0 : pa_bytes_to_usec(readable, &sampleFormat_);
    if (const pa_timing_info* t = pa_stream_get_timing_info(s)) {
        const pa_usec_t device = t->source_usec + t->transport_usec;
        if (device < kMostDeviceLatencyUs)
            age += device;
    }
    return int64_t(age);
}

void PulseSoundCapture::onRead(pa_stream* s, size_t, void* self)
{
    auto* me = static_cast<PulseSoundCapture*>(self);
    const size_t frameBytes = pa_frame_size(&me->sampleFormat_);
    for (;;) {
        const int64_t ageUs = me->readableAgeUs(s);
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(s, &data, &bytes) < 0 || bytes == 0)
            return;
        // A fragment without data is a hole the server reports: it becomes silence.
        if (data)
            me->sink_->samples(static_cast<const int16_t*>(data), bytes / frameBytes, ageUs);
        else
            me->sink_->silence(bytes / frameBytes);
        pa_stream_drop(s);
    }
}

} // namespace

std::unique_ptr<SoundCapture> PulseSoundInput::open(const std::string& input, int rate, int channels,
                                                    std::string& error)
{
    pa_sample_spec sampleFormat;
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.rate = rate > 0 ? uint32_t(rate) : 0;
    sampleFormat.channels = channels > 0 && channels <= int(PA_CHANNELS_MAX) ? uint8_t(channels) : 0;
    if (!pa_sample_spec_valid(&sampleFormat)) {
        error = "The sound format can not be recorded";
        return nullptr;
    }
    auto c = PulseConnection::Connect("Deckrec", kPulseConnectTimeoutMs, &error);
    if (!c)
        return nullptr;
    std::string chosen = input;
    {
        // The input must exist now: a device unplugged since the list was filled records nothing.
        PulseConnection::Lock lock(*c);
        ServerState state;
        if (!ReadServerState(*c, state) || state.sources.empty()) {
            error = "No sound input";
            return nullptr;
        }
        if (input == kDefaultOutputMonitor) {
            const auto monitor = std::find_if(state.sources.begin(), state.sources.end(), [&](const ServerObject& o) {
                return !state.defaultSink.empty() && o.monitorOf == state.defaultSink;
            });
            if (monitor == state.sources.end()) {
                error = "The default sound output has no monitor to record";
                return nullptr;
            }
            chosen = monitor->name;
        } else if (!input.empty() && std::none_of(state.sources.begin(), state.sources.end(),
                                           [&](const ServerObject& o) { return o.name == input; })) {
            error = "The sound input " + input + " is not there";
            return nullptr;
        }
    }
    return std::make_unique<PulseSoundCapture>(std::move(c), chosen, sampleFormat);
}
