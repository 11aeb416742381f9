// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windows_main.h"

#include "core/deckrec_error.h"
#include "core/program_layout.h"
#include "core/working_files.h"
#include "platform/webengine/browser_environment.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "platform/fonts/font_resolver.h"
#include "show/presentation_converter.h"
#include "show/show_cache.h"
#include "platform/pulse/pulse_mixer_service.h"
#include "platform/pulse/pulse_sound_input.h"
#include "platform/pulse/pulse_sound_output.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "ui/real_services.h"
#include "ui/recorder_window.h"

#include <memory>

int RunWindows(int argc, char** argv, const std::string& deck)
{
    // The browser's environment and URL scheme must be in place before the application exists.
    PrepareBrowserEnvironment();
    DeckrecApplication app(argc, argv);

    QtDialogService dialogs;
    PulseMixerService mixer;
    PulseSoundInput soundInput;
    PulseSoundOutput soundOutput;
    FfmpegEncoderFacility encoders;
    AppServices services;
    services.dialogs = &dialogs;
    app.setDialogs(&dialogs);
    services.mixer = &mixer;
    services.soundInput = &soundInput;
    services.soundOutput = &soundOutput;
    services.encoders = &encoders;
    // Run from the build tree, the program folder and its temp/; installed, a working directory
    // of this window's own under the user's cache folder, removed when the window closes.
    std::unique_ptr<ProgramLayout> layout;
    try {
        layout = std::make_unique<ProgramLayout>(ExecutableFolder());
    } catch (const DeckrecError& error) {
        dialogs.message(nullptr, QString::fromLocal8Bit(error.what()), "Deckrec", DialogService::Icon::Error);
        return 1;
    }
    services.files = layout->Files();
    // One converter for Browse and the Recorder's browser: LibreOffice runs once per deck version.
    // The shows every run of the program shares: a deck converted once by a batch or another
    // window opens at once here.
    PresentationConverter shows(ShowCache::DefaultFolder(), ShowCache::DefaultLimitBytes(), FontResolver::Shared());
    services.presentations = &shows;

    TForm1 form1(services);
    TForm2 form2(&form1, RealRecorderServices(services.files, &shows));
    form1.setRecorder(&form2);
    form1.show();
    if (layout->unfinishedSession())
        form1.OfferUnfinishedSession(*layout->unfinishedSession());
    if (!deck.empty())
        form1.OpenPresentation(QString::fromLocal8Bit(deck.c_str()));
    return app.exec();
}
