// Browse: choose the presentation and generate the page that shows it.
#include "app/main_window.h"

#include "app/dialogs.h"
#include "app/presentation_page.h"

#include <QLineEdit>
#include <QPushButton>

void TForm1::suitempButton1Click()
{
    // Besides PowerPoint's own, every deck format the presentation engine opens.
    const QString path = Dialogs().openFileName(this, "PowerPoint (*.ppt *.pptx *.pps *.ppsx *.odp)", "*.ppt");
    if (path.isEmpty())
        return;
    Edit1->setText(path);
    WriteGeneratedPage(path.toLocal8Bit().toStdString());
    recordernow->setEnabled(true);
}
