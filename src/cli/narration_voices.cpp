// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/narration_voices.h"

#include "cli/terminal.h"
#include "core/deckrec_error.h"

NarrationVoices::NarrationVoices(const CommandLine& command, Terminal& terminal)
    : command_(command), terminal_(terminal)
{
    chosen_[{"", true}] = ChooseSpeech("", command.voice, command.ttsCommand);
}

NarrationReader NarrationVoices::For(const std::string& language, bool mainLanguage)
{
    const std::pair<std::string, bool> key{language, mainLanguage};
    auto found = chosen_.find(key);
    if (found == chosen_.end()) {
        if (mainLanguage) {
            found = chosen_.emplace(key, ChooseSpeech(language, command_.voice, command_.ttsCommand)).first;
        } else {
            try {
                found = chosen_.emplace(key, ChooseSpeech(language, "", command_.ttsCommand)).first;
            } catch (const DeckrecError& error) {
                terminal_.Error("warning: " + std::string(error.what()) + "; its slides are read in the deck's main voice");
                return For("", true);
            }
        }
    }
    return {found->second.engine.get(), found->second.voice};
}
