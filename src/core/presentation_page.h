// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The generated page: the page template with the presentation's path filled in.

#include "core/working_files.h"

#include <string>

constexpr const char* kPagePlaceholder = "[right.htm]";

// ProgramFolder() + "main.htm"; the generated page "main_go.htm" beside it while the working
// directory is the program folder's temp/, else in the working directory.
std::string PageTemplatePath(const WorkingFiles& files);
std::string GeneratedPagePath(const WorkingFiles& files);

// Fills every placeholder of the template with presentationPath and writes the generated
// page. The path is HTML-escaped, so a name holding & < > " ' can neither break the page nor
// inject markup; an ordinary path goes in unchanged. A missing template gives an empty page.
// Throws DeckrecError when the page cannot be written.
void WriteGeneratedPage(const WorkingFiles& files, const std::string& presentationPath);
