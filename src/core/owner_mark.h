// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which process left a working folder or a part file: their names carry the owner's process
// id and start time ("<pid>-<start>"), so that the next run can remove what a killed one left
// and never touch what a running one still writes. The start time tells a process apart from
// a later one that was given the same id.

#include <string>
#include <sys/types.h>

// "<pid>-<start>" of the running process.
std::string OwnMark();

// The mark of a process that runs now; empty when there is none with that id.
std::string MarkOfProcess(pid_t pid);

// Reads a mark at the start of text ("<digits>-<digits>"); returns its length, 0 when text
// does not start with one.
size_t MarkLength(const std::string& text);

// True when the process the mark names has ended (or its id now belongs to another process).
// A mark that names no process at all is no one's: true as well.
bool OwnerEnded(const std::string& mark);
