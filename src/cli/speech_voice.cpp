// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/speech_voice.h"

#include "core/deckrec_error.h"

#include <regex>

std::unique_ptr<SpeechEngine> MakeSpeechEngine(const CommandLine& command)
{
    (void)command;
    throw DeckrecError("cannot read the notes aloud: this build has no voice; --narration DIR uses recorded takes");
}

VoiceChoice VoiceForSlide(const std::string& voiceOption, const std::string& notesLanguage)
{
    if (!notesLanguage.empty())
        return {notesLanguage, {}};
    // A language tag: two or three letters, then perhaps a region or script ("pt-BR").
    static const std::regex language("[A-Za-z]{2,3}([-_][A-Za-z0-9]{2,8})*");
    if (std::regex_match(voiceOption, language))
        return {voiceOption, {}};
    return {{}, voiceOption};
}
