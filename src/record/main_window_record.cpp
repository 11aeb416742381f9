// Main-window handlers of the recording session.
#include "app/main_window.h"

#include "app/presentation_page.h"
#include "app/working_files.h"
#include "platform/browser_control.h"
#include "record/recorder_window.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

void TForm1::connectRecordingHandlers()
{
    connect(recordernow, &QPushButton::clicked, this, &TForm1::recordernowClick);
}

void TForm1::recordernowClick()
{
    if (!Form2)
        return;
    ClearWorkingFiles();
    Form2->button_start->setEnabled(true);
    Form2->button_finished->setEnabled(false);
    Form2->WebBrowser1()->Navigate(QStringLiteral("about:blank"));
    Form2->ShowRecorder();
    hide();
    for (int k = 0; k < 4; ++k)
        QCoreApplication::processEvents();
    // The chord goes now and again from Timer1, once the page has had time to load.
    Timer1->start();
    Form2->SendAltO();
    Form2->WebBrowser1()->Navigate(QString::fromLocal8Bit(GeneratedPagePath().c_str()));
}

void TForm1::Timer1Timer()
{
    Timer1->stop();
    if (Form2)
        Form2->SendAltO();
}
