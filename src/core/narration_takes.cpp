// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/narration_takes.h"

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
    const std::string prefix = "slide-";
    const std::string suffix = ".wav";
    if (fileName.size() <= prefix.size() + suffix.size() || fileName.compare(0, prefix.size(), prefix) != 0 ||
        fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    const std::string digits = fileName.substr(prefix.size(), fileName.size() - prefix.size() - suffix.size());
    if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int slide = std::stoi(digits);
    if (slide < 1 || TakeFileName(slide) != fileName)
        return std::nullopt;
    return slide;
}
