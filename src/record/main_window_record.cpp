// Main-window handlers of the recording session.
#include "app/main_window.h"

#include <QTimer>

void TForm1::connectRecordingHandlers()
{
}

void TForm1::recordernowClick()
{
}

void TForm1::Timer1Timer()
{
    Timer1->stop();
}
