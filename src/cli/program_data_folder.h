// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data files of a command-line run: beside the executable in the build tree, in
// share/deckrec when installed.

#include "core/program_layout.h"
#include "core/working_files.h"

#include <string>

inline std::string ProgramDataFolder()
{
    const std::string installed = InstalledDataFolder(ExecutableFolder());
    return installed.empty() ? ExecutableFolder() : installed;
}
