// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the mixer shows of the sound server: its default output and input and the lists of
// outputs (sinks) and inputs (sources), read in one go.

#include "platform/pulse/pulse_connection.h"

#include <string>
#include <vector>

struct ServerObject {
    uint32_t index = PA_INVALID_INDEX;
    std::string name;
    std::string description;
    uint32_t channels = 0;
    std::string monitorOf; // an input that records an output: the output's name
};

struct ServerState {
    std::string defaultSink;
    std::string defaultSource;
    std::vector<ServerObject> sinks;
    std::vector<ServerObject> sources;
};

// With the lock held: false when the server fails or is too slow.
bool ReadServerState(PulseConnection& c, ServerState& s);
