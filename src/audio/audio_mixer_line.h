// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One line of a mixer destination (its own line or one of its source lines) with the
// volume, mute and multiplexer controls found on it. A snapshot: names and control bounds
// are read when the line is built.

#include "platform/mixer_service.h"

#include <QString>

class TAudioMixer;

enum TMixerControlType { mctVolume = 0, mctMute = 1, mctMux = 2 };

// Rounds a × b ÷ c to the nearest integer, halves away from zero; -1 when c is 0.
int MulDiv(int64_t a, int64_t b, int64_t c);

class TAudioMixerLine {
public:
    // sourceIndex -1 stands for the destination's own line.
    TAudioMixerLine(TAudioMixer* owner, int sourceIndex);

    void Refresh(int sourceIndex);

    QString Name() const;
    // The system's name of the device behind the line; the line's name when the mixer gives none.
    QString DeviceName() const;
    // An input that records an output: that output's DeviceName; empty otherwise.
    QString MonitorOf() const;
    // Percent 0 .. 100 of the volume control's range; -1 when it can't be read.
    int GetVolume();
    // Percent, clamped to 0 .. 100; all channels get the same value.
    void SetVolume(int percent);
    // On a destination's own line: records from source line sourceIndex.
    void SelectSource(int sourceIndex);
    bool FindControl(uint32_t controlId, TMixerControlType& kind) const;
    int LastError() const { return lastError_; }

    int SourceIndex() const { return sourceIndex_; }
    const MixerLineInfo& LineInfo() const { return info_; }
    bool HasControl(TMixerControlType kind) const { return found_ & (1u << kind); }
    const MixerControlInfo& Control(TMixerControlType kind) const { return controls_[kind]; }

private:
    MixerDevice* device() const;

    int sourceIndex_ = -1;
    TAudioMixer* owner_;
    MixerLineInfo info_;
    int lastError_ = 0;
    uint8_t found_ = 0; // bit n for TMixerControlType n
    MixerControlInfo controls_[3];
};
