// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Any voice the user has, through a command line: the command runs through /bin/sh once per
// sentence, reads the sentence on its standard input and writes a WAV file where {wav} says
// (the place is quoted for the shell). One run per sentence gives exact sentence ends and a
// bounded wait per sentence; a voice that loads a large model pays its start once a sentence.

#include "platform/speech_engine.h"

#include <chrono>
#include <string>

// How long one sentence may take before the command is stopped: a base and a share per ten
// characters of the text, so that a long sentence is not cut off on a slow voice.
struct CommandWait {
    std::chrono::milliseconds base{30000};
    std::chrono::milliseconds perTenCharacters{1000};
    std::chrono::milliseconds For(const std::string& text) const;
};

class CommandSpeechEngine : public SpeechEngine {
public:
    // Throws DeckrecError when command does not name {wav}.
    explicit CommandSpeechEngine(std::string command, CommandWait wait = {});
    ~CommandSpeechEngine() override;
    CommandSpeechEngine(const CommandSpeechEngine&) = delete;
    CommandSpeechEngine& operator=(const CommandSpeechEngine&) = delete;

    // The voice goes to the command as DECKREC_SPEECH_LANGUAGE and DECKREC_SPEECH_VOICE.
    SpokenText Speak(const std::vector<std::string>& sentences, const VoiceChoice& voice) override;
    std::string Describe(const VoiceChoice& voice) const override;

private:
    std::vector<int16_t> SpeakOne(const std::string& sentence, const VoiceChoice& voice, int& sampleRate);

    std::string command_;
    CommandWait wait_;
    std::string folder_; // made on first use, for the text, the sound and the command's output
};

// text in single quotes for /bin/sh, each ' in it as '\''.
std::string ShellQuoted(const std::string& text);
