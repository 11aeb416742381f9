// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_services.h"

#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "platform/pulse/pulse_mixer_service.h"
#include "platform/pulse/pulse_sound_input.h"
#include "support/fake_dialogs.h"
#include "ui/application.h"

DialogService& SilentDialogs()
{
    static FakeDialogs silent;
    return silent;
}

AppServices TestAppServices(DialogService* dialogs)
{
    return TestAppServices(dialogs, WorkingFiles::InProgramFolder(ExecutableFolder()));
}

AppServices TestAppServices(DialogService* dialogs, const WorkingFiles& files)
{
    // One of each real service for the whole test run, as the program keeps one.
    static PulseMixerService mixer;
    static PulseSoundInput soundInput;
    static FfmpegEncoderFacility encoders;
    AppServices services;
    services.dialogs = dialogs ? dialogs : &SilentDialogs();
    static_cast<DeckrecApplication*>(QCoreApplication::instance())->setDialogs(services.dialogs);
    services.mixer = &mixer;
    services.soundInput = &soundInput;
    services.encoders = &encoders;
    services.files = files;
    return services;
}
