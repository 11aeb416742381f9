// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sound server of this run's own (PulseAudio with a silent output), for a conversion with
// sound on a machine without a desktop: the slide show plays into its output and the recording
// takes that output's monitor.

#include "platform/child_process.h"

#include <string>

class PrivateSoundServer {
public:
    // Runs the server with its sockets in runtimeFolder (an empty 0700 folder of this run);
    // logs go to logPath. Throws DeckrecError when it does not answer within ten seconds.
    PrivateSoundServer(const std::string& runtimeFolder, const std::string& logPath);
    ~PrivateSoundServer() = default;

    // For PULSE_SERVER: "unix:" and the server's socket.
    const std::string& address() const { return address_; }

private:
    ChildProcess server_;
    std::string address_;
};
