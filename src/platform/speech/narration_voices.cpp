// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech/narration_voices.h"

#include "core/deckrec_error.h"

NarrationVoices::NarrationVoices(std::string voice, std::string ttsCommand, Warn warn, std::function<bool()> stopped)
    : voice_(std::move(voice)), ttsCommand_(std::move(ttsCommand)), warn_(std::move(warn)), stopped_(std::move(stopped))
{
    chosen_[{"", true}] = Stoppable(ChooseSpeech("", voice_, ttsCommand_));
}

ChosenSpeech NarrationVoices::Stoppable(ChosenSpeech chosen) const
{
    chosen.engine->StopWhen(stopped_);
    return chosen;
}

NarrationReader NarrationVoices::For(const std::string& language, bool mainLanguage)
{
    const std::pair<std::string, bool> key{language, mainLanguage};
    auto found = chosen_.find(key);
    if (found == chosen_.end()) {
        if (mainLanguage) {
            found = chosen_.emplace(key, Stoppable(ChooseSpeech(language, voice_, ttsCommand_))).first;
        } else {
            try {
                found = chosen_.emplace(key, Stoppable(ChooseSpeech(language, "", ttsCommand_))).first;
            } catch (const DeckrecError& error) {
                if (warn_)
                    warn_(std::string(error.what()) + "; its slides are read in the deck's main voice");
                return For("", true);
            }
        }
    }
    return {found->second.engine.get(), found->second.voice};
}
