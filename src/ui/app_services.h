// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything the Main window works through, handed in at start-up: the program's real
// services (main.cpp) or a test's fakes. Nothing here is owned; the services outlive the
// windows.

#include "core/working_files.h"

class DialogService;
class EncoderFacility;
class MixerService;
class PresentationPreparer;
class SoundInputService;
class SoundOutputService;

struct AppServices {
    DialogService* dialogs = nullptr;
    MixerService* mixer = nullptr;
    SoundInputService* soundInput = nullptr;
    // Plays narration takes back; none: the Narration dialog offers no Play.
    SoundOutputService* soundOutput = nullptr;
    EncoderFacility* encoders = nullptr;
    // Converts a deck as soon as Browse picks it; none in tests that do not show decks.
    PresentationPreparer* presentations = nullptr;
    WorkingFiles files = WorkingFiles::InProgramFolder(ExecutableFolder());
};
