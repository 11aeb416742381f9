// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The JavaScript the program puts into its pages: each script a .js file of its library's
// scripts/ folder, embedded with Qt's resource system under ":/scripts/", so that it is
// written, checked and diffed as JavaScript.

#include <QByteArray>
#include <QStringList>

// The text of the script called name ("viewer" for scripts/viewer.js). A name that is not
// embedded is a fault of the build: the program stops with a message naming it.
QByteArray PageScript(const QString& name);

// The names of every embedded script, sorted.
QStringList PageScriptNames();
