#include "core/working_files.h"
#include "platform/browser_environment.h"
#include "platform/ffmpeg_encoder_facility.h"
#include "platform/presentation_converter.h"
#include "platform/pulse_mixer_service.h"
#include "platform/pulse_sound_input.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "ui/real_services.h"
#include "ui/recorder_window.h"

int main(int argc, char** argv)
{
    // The browser's environment and URL scheme must be in place before the application exists.
    PrepareBrowserEnvironment();
    DeckrecApplication app(argc, argv);

    QtDialogService dialogs;
    PulseMixerService mixer;
    PulseSoundInput soundInput;
    FfmpegEncoderFacility encoders;
    AppServices services;
    services.dialogs = &dialogs;
    app.setDialogs(&dialogs);
    services.mixer = &mixer;
    services.soundInput = &soundInput;
    services.encoders = &encoders;
    services.files = WorkingFiles::InProgramFolder(ExecutableFolder());
    // One converter for Browse and the Recorder's browser: LibreOffice runs once per deck version.
    PresentationConverter shows(QString::fromLocal8Bit(services.files.WorkingDirectory().c_str()));
    services.presentations = &shows;

    TForm1 form1(services);
    TForm2 form2(&form1, RealRecorderServices(services.files, &shows));
    form1.setRecorder(&form2);
    form1.show();
    return app.exec();
}
