// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A private working folder removed when the run ends, however it ends.

#include "core/private_working_directory.h"

#include <string>

class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const std::string& tag) : path_(CreatePrivateWorkingDirectory(tag)) {}
    ~ScopedWorkingFolder() { RemovePrivateWorkingDirectory(path_); }
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

    // Ends in "/".
    const std::string& path() const { return path_; }

private:
    std::string path_;
};
