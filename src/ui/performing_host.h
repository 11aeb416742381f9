// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Main window as the Recorder's session sees it. A live performance is only half of a
// recording: while it is held, the end of the performance and its slot numbers stay with the
// Recorder, which renders the pictures before the Main window hears that the session is over.

#include "record/recorder_host.h"

#include <functional>
#include <optional>
#include <utility>

class PerformingHost : public RecorderHost {
public:
    explicit PerformingHost(RecorderHost& host) : host_(host) {}

    // Held: a kept end goes no further, and no slot number either (a performance stores no
    // frame the next start could offer back). A discarded end always goes on.
    void Hold(bool on) { held_ = on; }
    bool held() const { return held_; }

    CaptureSize RecordingCaptureSize() const override { return host_.RecordingCaptureSize(); }
    int LatencyMs() const override { return host_.LatencyMs(); }
    bool AutoRecord() const override { return host_.AutoRecord(); }
    bool CursorOn() const override { return host_.CursorOn(); }
    bool AudioOn() const override { return host_.AudioOn(); }
    bool ShowTime() const override { return host_.ShowTime(); }
    double FramePeriodMs() const override { return host_.FramePeriodMs(); }
    int SlotLimit() const override { return host_.SlotLimit(); }
    const WorkingFiles& Files() const override { return host_.Files(); }
    bool DeckTimings() const override { return host_.DeckTimings(); }
    void ShowStalled(const ShownSlide& slide, int deckMs) override { host_.ShowStalled(slide, deckMs); }
    void SetSlides(const std::vector<SlideMark>& slides) override { host_.SetSlides(slides); }
    void PerformanceLogged(const PerformanceLog& log) override { host_.PerformanceLogged(log); }
    // Where the presenter points, asked of probe while a performance runs.
    void SetPointerProbe(std::function<std::optional<PointerSample>()> probe) { probe_ = std::move(probe); }
    std::optional<PointerSample> PointerOverShow() override { return probe_ ? probe_() : std::nullopt; }
    bool Narrated() const override { return host_.Narrated(); }
    void PrepareNarration(std::function<void(int, int)> progress,
                          std::function<void(std::optional<PerformanceLog>)> done) override
    {
        host_.PrepareNarration(std::move(progress), std::move(done));
    }
    void StartSound(const std::string& path) override { host_.StartSound(path); }
    void StopSound() override { host_.StopSound(); }

    void SetFrameCount(int frameCount) override
    {
        if (!held_)
            host_.SetFrameCount(frameCount);
    }
    void SessionEnded(bool kept) override
    {
        if (!held_ || !kept)
            host_.SessionEnded(kept);
    }

private:
    RecorderHost& host_;
    bool held_ = false;
    std::function<std::optional<PointerSample>()> probe_;
};
