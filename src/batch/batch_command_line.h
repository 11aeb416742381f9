// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a batch was asked to do: its own options and the decks, read before any deck runs so
// that a mistake is a usage error. Convert's options are taken from the option table
// (core/command_options.h) and passed on to every deck's conversion as given.

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct BatchOptions {
    std::vector<std::string> decks; // from the command line, then from the list file
    std::string listFile;
    std::string outputFolder;       // ends in "/"
    std::vector<std::string> formats = {"mp4"};
    int workers = 0;                // 0: DefaultWorkerCount()
    bool force = false;
    bool json = false;
    bool quiet = false;
    int deckTimeoutSeconds = 0;     // 0: no limit
    std::optional<int> only;        // one deck of the list, 1-based (a job array's task)
    std::vector<std::string> convertOptions; // passed on to every deck's conversion
    bool help = false;
};

struct ParsedBatch {
    BatchOptions options;
    std::string error; // a usage error; empty when fine
};

// Convert's own rules on a whole convert command line (those between options: --fast with
// --audio, say): its usage error, or empty. The command line hands it in, for a batch knows
// nothing of it.
using ConversionCheck = std::function<std::string(const std::vector<std::string>& convertArgs)>;

// args after "batch". Reads the list file, so that an unreadable one is a usage error too.
ParsedBatch ParseBatchCommandLine(const std::vector<std::string>& args, const ConversionCheck& check = {});

std::string BatchUsageText();
