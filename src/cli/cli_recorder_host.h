// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Recorder's host for a command-line run: the settings come from the command line, Auto
// Record always; the slide being recorded shows on the terminal; sound goes through the same
// media player as in the windows.

#include "cli/command_line.h"
#include "record/recorder_host.h"

#include <functional>
#include <memory>
#include <string>

class SoundInputService;
class Terminal;
class TMediaPlayer;

class CliRecorderHost : public RecorderHost {
public:
    // soundInput may be null when the command records no sound.
    CliRecorderHost(const CommandLine& command, WorkingFiles files, SoundInputService* soundInput, Terminal& terminal);
    ~CliRecorderHost() override;

    // The caption of the page the Recorder shows (the slide's title), for the status line.
    void setTitleSource(std::function<std::string()> title) { title_ = std::move(title); }
    // Called when the sound cannot be recorded: a recording without it is not what was asked.
    void setSoundFailureHandler(std::function<void()> handler) { onSoundFailure_ = std::move(handler); }
    // Told the number of every slot as it begins (the kept recording's journal).
    void setSlotObserver(std::function<void(int)> observer) { onSlot_ = std::move(observer); }
    // Told the performance log after each change (the kept recording's journal).
    void setPerformanceObserver(std::function<void(const PerformanceLog&)> observer)
    {
        onPerformance_ = std::move(observer);
    }
    // What the status line says of the slots: a recording, a live performance (no frames, so
    // no slot observer either), or the rendering of one of slotCount slots, as a bar.
    void SetPerforming() { renderSlots_ = -1; }
    void SetRendering(int slotCount) { renderSlots_ = slotCount; }

    CaptureSize RecordingCaptureSize() const override { return command_.capture; }
    int LatencyMs() const override { return command_.latencyMs; }
    bool AutoRecord() const override { return true; }
    bool CursorOn() const override { return command_.cursor; }
    bool AudioOn() const override { return command_.audio; }
    double FramePeriodMs() const override { return FramePeriodOfRate(command_.framesPerSecond); }
    int SlotLimit() const override { return SlotLimitOf(command_); }
    const WorkingFiles& Files() const override { return files_; }
    void SetFrameCount(int frameCount) override;
    void StartSound(const std::string& path) override;
    void StopSound() override;
    void SessionEnded(bool kept) override;
    void ShowStalled(const ShownSlide& slide, int deckMs) override;
    void PerformanceLogged(const PerformanceLog& log) override;

    int frameCount() const { return frameCount_; }
    bool ended() const { return ended_; }
    bool kept() const { return kept_; }
    // Why the sound could not be recorded; empty when it was (or none was asked for).
    const std::string& soundError() const { return soundError_; }

private:
    const CommandLine& command_;
    WorkingFiles files_;
    SoundInputService* soundInput_;
    Terminal& terminal_;
    std::unique_ptr<TMediaPlayer> player_;
    std::function<std::string()> title_;
    std::function<void()> onSoundFailure_;
    std::function<void(int)> onSlot_;
    std::function<void(const PerformanceLog&)> onPerformance_;
    int renderSlots_ = 0; // 0: recording, -1: performing, else the slots of the rendering
    int frameCount_ = 0;
    bool ended_ = false;
    bool kept_ = false;
    std::string soundError_;
};
