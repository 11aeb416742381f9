// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A display server of this run's own (Xvfb), for a conversion on a machine without a desktop:
// several runs at once each get their own, numbered by the server itself.

#include "platform/child_process.h"

#include <string>

class PrivateDisplay {
public:
    // Starts a 24-bit screen of width x height; logs go to logPath. Throws DeckrecError when
    // the server cannot be started or does not report ready within ten seconds.
    PrivateDisplay(int width, int height, const std::string& logPath);
    ~PrivateDisplay() = default;

    // ":N", for DISPLAY.
    const std::string& name() const { return name_; }

private:
    ChildProcess server_;
    std::string name_;
};
