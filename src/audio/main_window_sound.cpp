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

void TForm1::StartSoundRecording(const QString& /*path*/)
{
}

void TForm1::StopSoundRecording()
{
}
