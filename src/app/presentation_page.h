#pragma once
// The generated page: the page template with the presentation's path filled in.

#include <string>

constexpr const char* kPagePlaceholder = "[right.htm]";

// ProgramFolder() + "main.htm" and ProgramFolder() + "main_go.htm".
std::string PageTemplatePath();
std::string GeneratedPagePath();

// Fills every placeholder of the template with presentationPath and writes the generated
// page. The path is HTML-escaped, so a name holding & < > " ' can neither break the page nor
// inject markup; an ordinary path goes in unchanged. A missing template gives an empty page.
// Throws DeckrecError when the page cannot be written.
void WriteGeneratedPage(const std::string& presentationPath);
