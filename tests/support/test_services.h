// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The services a Main window under test works through: the test's dialogs (fake ones that
// answer nothing when none are given), the real sound server and FFmpeg encoders unless the
// test replaces them, and the working files it names.

#include "core/working_files.h"
#include "ui/app_services.h"

class DialogService;

// Fake dialogs that answer nothing, for windows whose test asks no questions.
DialogService& SilentDialogs();

// The application's error box goes to the same dialogs, as the program sets it up. Without
// files, the test executable's folder with "temp/" in it.
AppServices TestAppServices(DialogService* dialogs = nullptr);
AppServices TestAppServices(DialogService* dialogs, const WorkingFiles& files);
