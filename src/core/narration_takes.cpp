// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/narration_takes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

std::string NarrationFolderFor(const std::string& deckPath)
{
    const std::filesystem::path deck(deckPath);
    return (deck.parent_path() / (deck.stem().string() + ".narration")).string();
}

std::string TakeFileName(int slide)
{
    char name[32];
    std::snprintf(name, sizeof name, "slide-%02d.wav", slide);
    return name;
}

std::optional<int> TakeSlide(const std::string& fileName)
{
    // Named by hand too: any letter case, and more leading zeros than the program writes.
    std::string name = fileName;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string prefix = "slide-";
    const std::string suffix = ".wav";
    if (name.size() < prefix.size() + 2 + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::string significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
    if (significant.empty() || significant.size() > 6)
        return std::nullopt;
    return std::stoi(significant);
}
