// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/presentation_page.h"

#include "core/text_files.h"

std::string PageTemplatePath(const WorkingFiles& files)
{
    return files.ProgramFolder() + "main.htm";
}

std::string GeneratedPagePath(const WorkingFiles& files)
{
    // Beside its template while the recording lives in the program folder's own "temp/";
    // a run with a working folder elsewhere (an installed program, the command line) never
    // writes the program folder, and two such runs never share a page.
    if (files.WorkingDirectory() == files.ProgramFolder() + "temp/")
        return files.ProgramFolder() + "main_go.htm";
    return files.WorkingDirectory() + "main_go.htm";
}

void WriteGeneratedPage(const WorkingFiles& files, const std::string& presentationPath)
{
    const std::string page = ReplaceAll(ReadTextFile(PageTemplatePath(files)), kPagePlaceholder, HtmlEscape(presentationPath));
    WriteTextFile(page, GeneratedPagePath(files));
}
