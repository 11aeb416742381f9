#pragma once
// Recording from the selected input: 16-bit samples at the rate and channel count asked for
// (the server converts), delivered on a thread of the input's own as they arrive.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Receives what an input records. Called on the input's thread, one call at a time.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    // frames × channels interleaved samples.
    virtual void samples(const int16_t* data, size_t frames) = 0;
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

class SoundInputService {
public:
    virtual ~SoundInputService() = default;
    // Reaches the selected input; null with a reason when there is none to record from.
    virtual std::unique_ptr<SoundCapture> open(int rate, int channels, std::string& error) = 0;
};

