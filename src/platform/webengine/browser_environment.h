// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the embedded browser needs before the QApplication exists: its run environment and the
// presentation URL scheme. Variables the user has set are left as they are.

void PrepareBrowserEnvironment();
