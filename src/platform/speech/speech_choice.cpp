// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech/speech_choice.h"

#include "core/deckrec_error.h"
#include "platform/speech/command_speech_engine.h"
#include "platform/speech/espeak_speech_engine.h"
#include "platform/speech/flite_speech_engine.h"

#include <algorithm>
#include <cctype>

namespace {

// "en", "pt-BR", "en_US", "zh-Hans-CN": a language, not a voice's name. Two or three letters,
// then parts of two to eight letters or digits, each after a hyphen or an underscore.
bool IsLanguageTag(const std::string& text)
{
    size_t part = 0;
    size_t length = 0;
    for (const char c : text) {
        if (c == '-' || c == '_') {
            if (length < 2 || (part == 0 && length > 3))
                return false;
            ++part;
            length = 0;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || (part > 0 && std::isdigit(static_cast<unsigned char>(c)))) {
            if (++length > (part == 0 ? 3u : 8u))
                return false;
        } else {
            return false;
        }
    }
    return length >= 2;
}

std::string Normalised(std::string language)
{
    std::replace(language.begin(), language.end(), '_', '-');
    std::transform(language.begin(), language.end(), language.begin(), [](unsigned char c) { return std::tolower(c); });
    return language;
}

ChosenSpeech ForLanguage(const std::string& language)
{
    if (language.empty() || FliteSpeechEngine::HasLanguage(language))
        return {std::make_unique<FliteSpeechEngine>(), {"en-us", FliteSpeechEngine::kDefaultVoice}};
    if (!EspeakSpeechEngine::HasLanguage(language))
        throw DeckrecError("no voice speaks the language \"" + language +
                           "\" (espeak-ng's languages are listed by espeak-ng --voices)");
    return {std::make_unique<EspeakSpeechEngine>(), {language, ""}};
}

} // namespace

ChosenSpeech ChooseSpeech(const std::string& language, const std::string& voice, const std::string& ttsCommand)
{
    const std::string tag = Normalised(language);
    if (!ttsCommand.empty())
        return {std::make_unique<CommandSpeechEngine>(ttsCommand), {tag, voice}};
    if (voice.empty())
        return ForLanguage(tag);
    const std::string flite = FliteSpeechEngine::VoiceNamed(voice);
    if (!flite.empty())
        return {std::make_unique<FliteSpeechEngine>(), {tag, flite}};
    if (IsLanguageTag(voice))
        return ForLanguage(Normalised(voice));
    if (EspeakSpeechEngine::HasVoice(voice))
        return {std::make_unique<EspeakSpeechEngine>(), {tag, voice}};
    std::string flites;
    for (const std::string& name : FliteSpeechEngine::VoiceNames())
        flites += (flites.empty() ? "" : ", ") + name;
    throw DeckrecError("no voice is named \"" + voice + "\": give a language (en, de, pt-BR ...), a flite voice (" +
                       flites + ") or an espeak-ng voice (espeak-ng --voices lists them)");
}
