// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The PulseAudio server as the one mixer device:
//   device 0        the sound server (named as the server names itself);
//   destination 0   "Playback": its own line is the default output, its source lines are the
//                   outputs (sinks) in the server's order;
//   destination 1   "Recording": its own line is the default input, its source lines are the
//                   inputs (sources), monitors of the outputs included, in the server's order.
// Each line carries the server's name of its device (MixerLineInfo::deviceName), and a
// monitor the name of the output it records (monitorOf). There is no multiplexer: sound
// recording opens the chosen input by name, so the server's default input stays as the user
// set it. Outputs and inputs that come or go are reported as a Line change of their
// destination's own line.
// Every line has a volume (0 .. 100 % of the server's normal volume, one value for all
// channels; louder settings read as 100 %) and a mute control. Nothing is written unless a
// control is set.
// The line lists are read when the device is opened; volumes are read from the server on
// every call. With no server there are no devices. Every call is bounded in time.

#include "platform/mixer_service.h"

#include <chrono>

class PulseConnection;

class PulseMixerService : public MixerService {
public:
    PulseMixerService();
    ~PulseMixerService() override;

    uint32_t deviceCount() override;
    int deviceCaps(uint32_t device, MixerCaps& caps) override;
    int open(uint32_t device, std::unique_ptr<MixerDevice>& opened) override;

private:
    // The cached connection while it lasts, else a new one. After a failed attempt, no new
    // one is made for a while: a window that opens the mixer several times in one action
    // then waits for a silent server only once.
    std::shared_ptr<PulseConnection> connection();

    std::shared_ptr<PulseConnection> connection_;
    std::chrono::steady_clock::time_point failedAt_;
    bool failed_ = false;
};
