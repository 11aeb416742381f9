#include "platform/pulse_sound_input.h"

#include "platform/pulse_connection.h"
#include "platform/pulse_server_state.h"

#include <pulse/stream.h>
#include <pulse/timeval.h>

namespace {

// Small fragments keep the tail that is still in flight at a stop short.
constexpr int kFragmentMs = 20;

class PulseSoundCapture : public SoundCapture {
public:
    PulseSoundCapture(std::unique_ptr<PulseConnection> c, const pa_sample_spec& sampleFormat)
        : c_(std::move(c)), sampleFormat_(sampleFormat) {}
    ~PulseSoundCapture() override { stop(); }

    bool start(SoundSink& sink) override;
    void stop() override;

private:
    static void onRead(pa_stream* s, size_t bytes, void* self);
    static void onState(pa_stream* s, void* self);
    void closeStream();

    std::unique_ptr<PulseConnection> c_;
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
    // No device name: the server's default input, as the mixer set it.
    if (pa_stream_connect_record(stream_, nullptr, &attr, PA_STREAM_ADJUST_LATENCY) < 0) {
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

void PulseSoundCapture::onRead(pa_stream* s, size_t, void* self)
{
    auto* me = static_cast<PulseSoundCapture*>(self);
    const size_t frameBytes = pa_frame_size(&me->sampleFormat_);
    for (;;) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(s, &data, &bytes) < 0 || bytes == 0)
            return;
        // A fragment without data is a hole the server reports: it becomes silence.
        if (data)
            me->sink_->samples(static_cast<const int16_t*>(data), bytes / frameBytes);
        else
            me->sink_->silence(bytes / frameBytes);
        pa_stream_drop(s);
    }
}

} // namespace

std::unique_ptr<SoundCapture> PulseSoundInput::open(int rate, int channels, std::string& error)
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
    {
        // An input must exist: a server without any has nothing to record from.
        PulseConnection::Lock lock(*c);
        ServerState state;
        if (!ReadServerState(*c, state) || state.sources.empty()) {
            error = "No sound input";
            return nullptr;
        }
    }
    return std::make_unique<PulseSoundCapture>(std::move(c), sampleFormat);
}
