// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech/flite_speech_engine.h"

#include "core/deckrec_error.h"
#include "platform/interruption.h"
#include "platform/speech/spoken_text_builder.h"

#include <flite/flite.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

// The voices' registration functions have no header of their own.
extern "C" {
cst_voice* register_cmu_us_slt(const char* voxdir);
cst_voice* register_cmu_us_rms(const char* voxdir);
cst_voice* register_cmu_us_awb(const char* voxdir);
cst_voice* register_cmu_us_kal16(const char* voxdir);
}

namespace {

struct LinkedVoice {
    const char* name;
    cst_voice* (*registration)(const char*);
};

constexpr LinkedVoice kVoices[] = {
    {"cmu_us_slt", register_cmu_us_slt},     // female, US (clustergen)
    {"cmu_us_rms", register_cmu_us_rms},     // male, US (clustergen)
    {"cmu_us_awb", register_cmu_us_awb},     // male, Scottish (clustergen)
    {"cmu_us_kal16", register_cmu_us_kal16}, // male, US (diphone)
};

std::mutex& LibraryTurn()
{
    static std::mutex turn;
    return turn;
}

// A voice, registered on first use; call with the turn held.
cst_voice* Registered(const LinkedVoice& linked)
{
    static const int started = flite_init();
    static std::map<std::string, cst_voice*> registered;
    (void)started;
    cst_voice*& voice = registered[linked.name];
    if (!voice)
        voice = linked.registration(nullptr);
    if (!voice)
        throw DeckrecError(std::string("flite cannot load its voice ") + linked.name);
    return voice;
}

const LinkedVoice* Linked(const std::string& fullName)
{
    const auto found =
        std::find_if(std::begin(kVoices), std::end(kVoices), [&](const LinkedVoice& v) { return fullName == v.name; });
    return found == std::end(kVoices) ? nullptr : found;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

SpokenText FliteSpeechEngine::Speak(const std::vector<std::string>& sentences, const VoiceChoice& voice)
{
    const std::string name = voice.name.empty() ? kDefaultVoice : VoiceNamed(voice.name);
    if (name.empty())
        throw DeckrecError("flite has no voice \"" + voice.name + "\" (it has " + [] {
            std::string list;
            for (const std::string& n : VoiceNames())
                list += (list.empty() ? "" : ", ") + n;
            return list;
        }() + ")");
    const std::lock_guard<std::mutex> turn(LibraryTurn());
    cst_voice* speaker = Registered(*Linked(name));
    SpokenTextBuilder builder("flite " + name);
    for (const std::string& sentence : sentences) {
        if (StopAsked())
            throw InterruptedError();
        const std::unique_ptr<cst_wave, void (*)(cst_wave*)> wave(flite_text_to_wave(sentence.c_str(), speaker),
                                                                  delete_wave);
        if (!wave || wave->num_channels != 1)
            throw DeckrecError("flite " + name + " failed to speak \"" + sentence + "\"");
        builder.Add(wave->samples, static_cast<size_t>(wave->num_samples), wave->sample_rate, kSentencePauseSeconds);
    }
    SpokenText spoken = builder.Take();
    if (spoken.sampleRate == 0)
        spoken.sampleRate = 16000; // nothing said: the voices' rate all the same
    return spoken;
}

std::string FliteSpeechEngine::Describe(const VoiceChoice& voice) const
{
    const std::string name = voice.name.empty() ? kDefaultVoice : VoiceNamed(voice.name);
    return "flite " + (name.empty() ? voice.name : name);
}

std::vector<std::string> FliteSpeechEngine::VoiceNames()
{
    std::vector<std::string> names;
    for (const LinkedVoice& v : kVoices)
        names.emplace_back(v.name);
    return names;
}

std::string FliteSpeechEngine::VoiceNamed(const std::string& name)
{
    const std::string wanted = Lower(name);
    for (const LinkedVoice& v : kVoices) {
        const std::string full = v.name;
        if (wanted == full || wanted == full.substr(std::string("cmu_us_").size()))
            return full;
    }
    return "";
}

bool FliteSpeechEngine::HasLanguage(const std::string& language)
{
    const std::string lower = Lower(language);
    return lower == "en" || lower.rfind("en-", 0) == 0 || lower.rfind("en_", 0) == 0;
}
