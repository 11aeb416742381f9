// Browse: choose the presentation and generate the page that shows it.
#include "ui/main_window.h"

#include "ui/dialogs.h"
#include "core/presentation_page.h"
#include "platform/presentation_preparer.h"

#include <QLineEdit>
#include <QPushButton>

void TForm1::suitempButton1Click()
{
    // Besides PowerPoint's own, every deck format the presentation engine opens.
    const QString path = services_.dialogs->openFileName(this, "PowerPoint (*.ppt *.pptx *.pps *.ppsx *.odp)", "*.ppt");
    if (path.isEmpty())
        return;
    Edit1->setText(path);
    WriteGeneratedPage(services_.files, path.toLocal8Bit().toStdString());
    recordernow->setEnabled(true);
    // LibreOffice's conversion starts now, while the user sets the options, rather than after
    // Record Now.
    if (services_.presentations)
        services_.presentations->Prepare(path);
}
