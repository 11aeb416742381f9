// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pulse/pulse_sound_output.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>

PulseSoundOutput::~PulseSoundOutput()
{
    Stop();
}

bool PulseSoundOutput::Play(std::vector<int16_t> samples, int rate, int channels, std::string& error)
{
    Stop();
    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.rate = static_cast<uint32_t>(rate);
    sampleFormat.channels = static_cast<uint8_t>(channels);
    if (!pa_sample_spec_valid(&sampleFormat)) {
        error = "the sound has a rate or channel count PulseAudio cannot play";
        return false;
    }
    int code = 0;
    pa_simple* stream =
        pa_simple_new(nullptr, "Deckrec", PA_STREAM_PLAYBACK, nullptr, "narration take", &sampleFormat, nullptr, nullptr, &code);
    if (!stream) {
        error = std::string("cannot play sound: ") + pa_strerror(code);
        return false;
    }
    stop_ = false;
    playing_ = true;
    thread_ = std::thread([this, stream, samples = std::move(samples), channels] {
        // Small writes, so that Stop is heard within a tenth of a second.
        const size_t chunk = static_cast<size_t>(channels) * 2048;
        int failure = 0;
        for (size_t at = 0; at < samples.size() && !stop_; at += chunk) {
            const size_t count = std::min(chunk, samples.size() - at);
            if (pa_simple_write(stream, samples.data() + at, count * sizeof(int16_t), &failure) < 0)
                break;
        }
        if (stop_)
            pa_simple_flush(stream, &failure);
        else
            pa_simple_drain(stream, &failure);
        pa_simple_free(stream);
        playing_ = false;
    });
    return true;
}

void PulseSoundOutput::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    playing_ = false;
}
