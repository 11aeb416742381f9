// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which engine and voice read a deck's notes, from the deck's language and the user's --voice
// and --tts-command: a command when given; else the voice --voice names; else the best voice
// for the language: English in the voice that was understood best in listening tests
// (bench/speech_intelligibility.sh), every other language in espeak-ng.

#include "platform/speech_engine.h"

#include <memory>
#include <string>

struct ChosenSpeech {
    std::unique_ptr<SpeechEngine> engine;
    VoiceChoice voice;
};

// language: a tag such as "en", "de", "pt-BR" (empty: English). voice: a flite voice
// ("cmu_us_rms" or "rms"), an espeak-ng voice ("German", "en-us+f3") or a language tag; empty
// for the language's best. ttsCommand: a command line with {wav}, or empty. Throws
// DeckrecError for a voice or language no engine has, or a command without {wav}.
ChosenSpeech ChooseSpeech(const std::string& language, const std::string& voice, const std::string& ttsCommand);
