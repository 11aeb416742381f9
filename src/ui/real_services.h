// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's own platform services: X11, the sound server, FFmpeg and Qt's dialogs.

#include "core/working_files.h"
#include "record/recorder_services.h"

class PresentationConverter;

// X11 capture, cursor and input (on any other display: no capture, and clicks sent to the
// program's own widgets), the monotonic clock, and Qt WebEngine whose slide shows come
// from shows (not owned; the program's one converter, which Browse starts) or, without it,
// from a converter of the browser's own that caches them in files' working directory.
RecorderServices RealRecorderServices(const WorkingFiles& files, PresentationConverter* shows = nullptr);
