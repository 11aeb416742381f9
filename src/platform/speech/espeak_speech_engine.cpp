// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech/espeak_speech_engine.h"

#include "core/deckrec_error.h"
#include "platform/interruption.h"
#include "platform/speech/spoken_text_builder.h"

#include <espeak-ng/speak_lib.h>
#include <mutex>

namespace {

std::mutex& LibraryTurn()
{
    static std::mutex turn;
    return turn;
}

// The sentence being spoken: where the library's callback puts its sound.
thread_local std::vector<int16_t>* tSound = nullptr;

int TakeSound(short* samples, int count, espeak_EVENT*)
{
    if (samples && count > 0 && tSound)
        tSound->insert(tSound->end(), samples, samples + count);
    return 0; // go on
}

// The library's sample rate, started once; call with the turn held.
int StartedLibrary()
{
    static const int rate = [] {
        const int started = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
        if (started > 0)
            espeak_SetSynthCallback(TakeSound);
        return started;
    }();
    if (rate <= 0)
        throw DeckrecError("espeak-ng cannot start: its voice data is missing (Debian package espeak-ng-data)");
    return rate;
}

// Selects the voice; call with the turn held.
bool Select(const VoiceChoice& voice)
{
    if (!voice.name.empty())
        return espeak_SetVoiceByName(voice.name.c_str()) == EE_OK;
    espeak_VOICE wanted{};
    wanted.languages = voice.language.empty() ? "en" : voice.language.c_str();
    return espeak_SetVoiceByProperties(&wanted) == EE_OK;
}

} // namespace

SpokenText EspeakSpeechEngine::Speak(const std::vector<std::string>& sentences, const VoiceChoice& voice)
{
    const std::lock_guard<std::mutex> turn(LibraryTurn());
    const int rate = StartedLibrary();
    if (!Select(voice))
        throw DeckrecError("espeak-ng has no voice \"" + (voice.name.empty() ? voice.language : voice.name) + "\"");
    SpokenTextBuilder builder(Describe(voice));
    std::vector<int16_t> sound;
    for (const std::string& sentence : sentences) {
        if (StopAsked())
            throw InterruptedError();
        sound.clear();
        tSound = &sound;
        const espeak_ERROR result = espeak_Synth(sentence.c_str(), sentence.size() + 1, 0, POS_CHARACTER, 0,
                                                 espeakCHARS_UTF8 | espeakENDPAUSE, nullptr, nullptr);
        tSound = nullptr;
        if (result != EE_OK)
            throw DeckrecError(Describe(voice) + " failed to speak \"" + sentence + "\"");
        // Its own pause at the end of each sentence stays.
        builder.Add(sound.data(), sound.size(), rate, 0);
    }
    SpokenText spoken = builder.Take();
    spoken.sampleRate = rate;
    return spoken;
}

std::string EspeakSpeechEngine::Describe(const VoiceChoice& voice) const
{
    return "espeak-ng " + (!voice.name.empty() ? voice.name : !voice.language.empty() ? voice.language : "en");
}

bool EspeakSpeechEngine::HasVoice(const std::string& name)
{
    const std::lock_guard<std::mutex> turn(LibraryTurn());
    StartedLibrary();
    return !name.empty() && Select({"", name});
}

bool EspeakSpeechEngine::HasLanguage(const std::string& language)
{
    const std::lock_guard<std::mutex> turn(LibraryTurn());
    StartedLibrary();
    return !language.empty() && Select({language, ""});
}
