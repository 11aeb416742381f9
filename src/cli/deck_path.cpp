// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/deck_path.h"

#include "core/deckrec_error.h"
#include "core/printable_text.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

std::string ReadableDeck(const std::string& deck, const std::string& failure)
{
    std::error_code ec;
    if (!fs::exists(deck, ec))
        throw DeckrecError(failure + ": no such file");
    if (!fs::is_regular_file(deck, ec))
        throw DeckrecError(failure + ": not a file");
    if (!std::ifstream(deck, std::ios::binary).good())
        throw DeckrecError(failure + ": the file cannot be read");
    return fs::absolute(deck, ec).lexically_normal().string();
}

std::string DeckOpenableByName(const std::string& deck, const std::string& runFolder)
{
    if (IsValidUtf8(deck))
        return deck;
    std::error_code ec;
    const fs::path link = fs::path(runFolder) / "deck" / ValidUtf8(fs::path(deck).filename().string());
    fs::create_directories(link.parent_path(), ec);
    fs::create_symlink(deck, link, ec);
    if (ec)
        throw DeckrecError("cannot open " + deck + ": " + ec.message());
    return link.string();
}
