// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A mixer of the test's making: devices, destinations and lines with volume, mute and
// multiplexer controls. Values persist across opens, like a real mixer's; every write is
// logged.

#include "platform/mixer_service.h"

#include <functional>
#include <string>
#include <vector>

struct FakeControl {
    bool present = false;
    uint32_t maximum = 65535;
    uint32_t value = 0;
    std::vector<uint32_t> items; // multiplexer choices
};

struct FakeLine {
    std::string name;
    std::string deviceName; // the system's name of the device; none when empty
    std::string monitorOf;  // an input that records an output: the output's deviceName
    FakeControl volume;
    FakeControl mute;
    FakeControl mux;
};

struct FakeDestination {
    FakeLine own;
    std::vector<FakeLine> sources;
};

struct FakeMixer {
    std::string name;
    std::vector<FakeDestination> destinations;
};

// A line with a volume control of the given maximum, set to the given percent of it.
FakeLine VolumeLine(const std::string& name, int percent, uint32_t maximum = 65535);

class FakeMixerService : public MixerService {
public:
    struct Write {
        uint32_t controlId;
        std::vector<uint32_t> values;
    };

    // One device: playback (destination 0) with a master at masterPercent and the given
    // outputs at 50 %, recording (destination 1) with a multiplexer over the given inputs
    // at the given volumes. Each line's device is named like the line ("out:" or "in:" and
    // the name); the first output is the default output.
    static FakeMixerService Typical(int masterPercent, const std::vector<std::string>& outputs,
                                    const std::vector<std::pair<std::string, int>>& inputs);

    uint32_t deviceCount() override { return uint32_t(mixers.size()); }
    int deviceCaps(uint32_t device, MixerCaps& caps) override;
    int open(uint32_t device, std::unique_ptr<MixerDevice>& opened) override;

    // Line and control IDs as the devices hand them out.
    static uint32_t LineId(uint32_t device, uint32_t destination, int source);
    static uint32_t ControlId(uint32_t lineId, MixerControlKind kind) { return lineId * 4 + uint32_t(kind); }

    FakeLine& line(uint32_t device, uint32_t destination, int source);
    // Percent of a line's volume, as the mixer holds it (rounded).
    int percent(uint32_t destination, int source, uint32_t device = 0);
    // Writes to one control, in order.
    std::vector<std::vector<uint32_t>> writesTo(uint32_t lineId, MixerControlKind kind) const;
    // Reports a change to every open device, as the system would.
    void report(MixerChange change);

    std::vector<FakeMixer> mixers;
    std::vector<Write> writes;
    int opens = 0;
    std::vector<std::function<void(MixerChange)>*> handlers;
};
