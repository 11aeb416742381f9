// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One conversion at a time on a desktop's display: two would fight over the screen and the
// synthetic clicks. Private displays need no lock.

#include <functional>
#include <string>

class DisplayLock {
public:
    // Takes the lock of display (a DISPLAY value) in the cache folder; while another run holds
    // it, calls waiting() once and waits until it is free or interrupted() says to give up
    // (then held() is false).
    DisplayLock(const std::string& display, const std::function<void()>& waiting,
                const std::function<bool()>& interrupted);
    ~DisplayLock();
    DisplayLock(const DisplayLock&) = delete;
    DisplayLock& operator=(const DisplayLock&) = delete;

    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};
