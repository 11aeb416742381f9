// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which deck goes where: the decks from the command line and list files, each deck's outputs
// and log under the output folder, and whether a deck's outputs are already up to date.

#include "batch/batch_command_line.h"

#include <string>
#include <vector>

// The decks of a list file: one path a line, blank lines and lines starting with # left out,
// a relative path taken from the list file's folder. False with a reason when unreadable.
bool ReadDeckList(const std::string& listFile, std::vector<std::string>& decks, std::string& error);

struct BatchDeck {
    int number = 0;         // 1-based, in the order given
    std::string given;      // as given
    std::string path;       // absolute
    std::string name;       // output base name, unique in the batch
    std::vector<std::string> outputs;
    std::string log;
    std::string problem;    // why it cannot be converted at all (missing, not a deck); empty if it can
};

// The decks in order, the same path given twice kept once. A deck's outputs are
// OUTDIR/NAME.FORMAT with NAME its file name without the extension; decks of one NAME from
// different folders each get NAME-XXXXXXXX, eight hex digits of a hash of the full path, so
// the names do not depend on the order or on which other decks a run has.
std::vector<BatchDeck> PlanBatch(const BatchOptions& options);

// The arguments of deck's conversion after the program's name: convert on a display of its
// own with its events on stdout, the deck's outputs, the options passed on, and the deck.
std::vector<std::string> ConversionArguments(const BatchDeck& deck, const BatchOptions& options);

// Every output exists and is newer than the deck.
bool OutputsUpToDate(const BatchDeck& deck);

// Workers at once when -j is not given: min(the processors this process may use, available
// memory / 1.5 GB), at least 1.
int DefaultWorkerCount();
