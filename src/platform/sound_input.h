// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Recording from one input: 16-bit samples at the rate and channel count asked for (the
// server converts), delivered on a thread of the input's own as they arrive.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Receives what an input records. Called on the input's thread, one call at a time.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    // frames × channels interleaved samples, the first of which was captured ageUs before this
    // call: the recording places them by that moment, so that a stall the input does not
    // report still leaves the sound after it where it happened.
    virtual void samples(const int16_t* data, size_t frames, int64_t ageUs) = 0;
    // The server lost this many frames: the recording keeps its length with silence.
    virtual void silence(size_t frames) = 0;
};

// One recording stream, not yet running.
class SoundCapture {
public:
    virtual ~SoundCapture() = default;
    // Starts delivering to sink (which must outlive the capture or the stop); returns once
    // the stream runs. False when it can't start.
    virtual bool start(SoundSink& sink) = 0;
    // Ends the stream; no delivery follows the return.
    virtual void stop() = 0;
};

// The input name that means "what the default output plays" (its monitor), whichever output
// that is when the recording starts.
constexpr const char* kDefaultOutputMonitor = "@DEFAULT_MONITOR@";

class SoundInputService {
public:
    virtual ~SoundInputService() = default;
    // Reaches the input that the system names `input` (the mixer line's device name), or the
    // system's default input when `input` is empty. The stream stays with that input: it is
    // never moved to another one. Null with a reason when there is nothing to record from.
    virtual std::unique_ptr<SoundCapture> open(const std::string& input, int rate, int channels,
                                               std::string& error) = 0;
};
