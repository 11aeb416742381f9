// Main-window handlers of the sound controls.
#include "app/main_window.h"

#include <QTimer>

void TForm1::connectSoundHandlers()
{
}

void TForm1::Timer2Timer()
{
    Timer2->stop();
    FillEncoderList();
}
