#include "app/presentation_page.h"

#include "app/text_files.h"
#include "app/working_files.h"

std::string PageTemplatePath()
{
    return ProgramFolder() + "main.htm";
}

std::string GeneratedPagePath()
{
    return ProgramFolder() + "main_go.htm";
}

void WriteGeneratedPage(const std::string& presentationPath)
{
    const std::string page = ReplaceAll(ReadTextFile(PageTemplatePath()), kPagePlaceholder, HtmlEscape(presentationPath));
    WriteTextFile(page, GeneratedPagePath());
}
