#include "core/deck_files.h"

#include <algorithm>
#include <cctype>

const std::vector<std::string>& DeckExtensions()
{
    static const std::vector<std::string> extensions = {"ppt", "pptx", "pps", "ppsx", "odp", "fodp"};
    return extensions;
}

bool IsDeckFile(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    const auto& known = DeckExtensions();
    return std::find(known.begin(), known.end(), extension) != known.end();
}

std::string DeckExtensionsText()
{
    std::string text;
    const auto& extensions = DeckExtensions();
    for (size_t k = 0; k < extensions.size(); ++k)
        text += (k == 0 ? "" : k + 1 == extensions.size() ? " or " : ", ") + ("." + extensions[k]);
    return text;
}

std::string DeckFilePatterns()
{
    std::string patterns;
    for (const std::string& extension : DeckExtensions())
        patterns += (patterns.empty() ? "*." : " *.") + extension;
    return patterns;
}
