#include "core/presentation_page.h"

#include "core/text_files.h"

std::string PageTemplatePath(const WorkingFiles& files)
{
    return files.ProgramFolder() + "main.htm";
}

std::string GeneratedPagePath(const WorkingFiles& files)
{
    return files.ProgramFolder() + "main_go.htm";
}

void WriteGeneratedPage(const WorkingFiles& files, const std::string& presentationPath)
{
    const std::string page = ReplaceAll(ReadTextFile(PageTemplatePath(files)), kPagePlaceholder, HtmlEscape(presentationPath));
    WriteTextFile(page, GeneratedPagePath(files));
}
