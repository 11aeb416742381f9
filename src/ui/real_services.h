#pragma once
// The program's own platform services: X11, the sound server, FFmpeg and Qt's dialogs.

#include "core/working_files.h"
#include "record/recorder_services.h"

// X11 capture, cursor and input, the monotonic clock, and Qt WebEngine whose slide shows are
// cached in files' working directory.
RecorderServices RealRecorderServices(const WorkingFiles& files);
