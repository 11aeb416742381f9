// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Records the selected input into a WAVE file in the format that the file declared when it
// was opened. What arrives is written to disk as it comes (a session may last half an hour),
// sound is placed by the moment it was captured (a stall that nobody reports becomes silence
// where it happened, holes that the server reports become silence too), and the finished
// recording is as long as the time between record() and stop(), so that sound and pictures
// stay together.

#include "audio/wave_file.h"
#include "platform/sound_input.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

class WaveRecorder : private SoundSink {
public:
    // What the last recording was made of, in frames.
    struct Stats {
        uint64_t frames = 0;       // the whole recording
        uint64_t holeFrames = 0;   // silence for holes the server reported
        uint64_t stallFrames = 0;  // silence for time in which the input delivered nothing
        uint64_t paddedFrames = 0; // silence at the end, for sound that never came
        uint64_t droppedFrames = 0; // sound the input delivered ahead of the clock
    };

    // Microseconds of a steady clock; tests pass their own.
    using Clock = std::function<int64_t()>;

    explicit WaveRecorder(SoundInputService& input, Clock clock = {});
    ~WaveRecorder() override;

    WaveRecorder(const WaveRecorder&) = delete;
    WaveRecorder& operator=(const WaveRecorder&) = delete;

    // Adopts the format that path declares and reaches the input that the system names
    // `input` (empty: its default input); throws DeckrecError.
    void open(const std::string& path, const std::string& input = {});
    // Starts recording into the opened path; false when it could not start (the saved file
    // then holds no sound).
    bool record();
    // Ends the recording. Waits at most tailWaitMs for the sound still on its way.
    void stop();
    // Completes the recording as a RIFF WAVE file at path; throws DeckrecError.
    void save(const std::string& path);
    // Ends everything; what was not saved stays as far as it was written.
    void close();

    bool isOpen() const { return open_; }
    bool isRecording() const { return recording_; }
    void setTailWaitMs(int ms) { tailWaitMs_ = ms; }
    // The loudest sample that arrived since the last call, 0..32767: a level meter's reading.
    int takePeak() { return peak_.exchange(0); }
    Stats stats()
    {
        std::lock_guard lock(mutex_);
        return stats_;
    }

private:
    void samples(const int16_t* data, size_t frames, int64_t ageUs) override;
    void silence(size_t frames) override;
    // With the lock held: appends what the clock allows, in order.
    void append(const int16_t* data, size_t frames);
    void appendSilence(size_t frames);
    // With the lock held: frames the recording holds so far, written or held back.
    uint64_t haveFrames() const;
    // With the lock held: frames the recording may hold by now (elapsed time and hold-back).
    uint64_t aheadLimit() const;
    // With the lock held: writes what is older than the hold-back window.
    void writeOlderThanHoldBack();
    // With the lock held: cuts or pads the held-back sound to end at frame `end`, writes it.
    void finishAt(uint64_t end);

    SoundInputService& input_;
    Clock clock_;
    std::atomic<int> peak_{0};
    int tailWaitMs_ = 1000;
    bool open_ = false;
    bool recording_ = false;
    std::string path_;
    WaveFormat format_; // set before the input is reached; read-only while it delivers
    std::unique_ptr<SoundCapture> capture_;
    int64_t startedUs_ = 0; // guarded by mutex_, like started_
    bool started_ = false;

    // Shared with the input's thread.
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::unique_ptr<WaveFileWriter> writer_;
    std::vector<int16_t> held_; // the newest sound, not yet written: a stop may cut it
    uint64_t written_ = 0;      // frames in the file
    uint64_t end_ = UINT64_MAX; // frames the recording ends with once stopping
    Stats stats_;
};
