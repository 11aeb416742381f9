// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How many clicks each slide of a deck takes before it moves on: the effects of its main
// sequence that start on a click, read from LibreOffice's flat XML (.fodp). Effects that start
// with or after another, and those a click on a shape starts, take no click of their own.

#include <QByteArray>
#include <string>
#include <vector>

// Slide n's at [n - 1]; what is not a presentation gives no slides.
std::vector<int> ReadFlatDeckBuildSteps(const QByteArray& fodp);
// The same from a file; an unreadable file gives no slides.
std::vector<int> ReadFlatDeckBuildStepsFile(const std::string& path);
