// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a video export writes: the user's target, and the AVI writer's files in the working
// directory while the video grows. A target that is one of the working files is refused, as
// the recording would be lost with it.

#include "core/working_files.h"

#include <string>

// The AVI while it is written, moved to the target when complete.
std::string IntermediateVideoPath(const WorkingFiles& files);
// The writer's temporary video file beside it.
std::string TemporaryVideoPath(const WorkingFiles& files);

// Refuses, with a DeckrecError, a target that is one of the working files (a frame, the sound,
// the two files above). Every export checks it before any work; a front end may call it
// first, so as not to ask about replacing such a file.
void CheckVideoTarget(const WorkingFiles& files, const std::string& target);
