// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech/command_speech_engine.h"

#include "core/deckrec_error.h"
#include "platform/interruption.h"
#include "core/private_working_directory.h"
#include "platform/child_process.h"
#include "platform/speech/spoken_text_builder.h"
#include "platform/speech/wav_samples.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <thread>

namespace {

constexpr const char* kPlace = "{wav}";
constexpr size_t kShownOutput = 600; // of the command's output, in a message: its last words

std::string Substituted(const std::string& command, const std::string& wavPath)
{
    std::string result;
    size_t from = 0;
    for (size_t at = command.find(kPlace); at != std::string::npos; at = command.find(kPlace, from)) {
        result += command.substr(from, at - from) + ShellQuoted(wavPath);
        from = at + std::string(kPlace).size();
    }
    return result + command.substr(from);
}

// The end of what the command printed, for a message: "" or ": ...".
std::string OutputTail(const std::string& logPath)
{
    std::ifstream log(logPath, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (text.empty())
        return "";
    if (text.size() > kShownOutput)
        text = "..." + text.substr(text.size() - kShownOutput);
    return ": " + text;
}

// "30 s", "0.3 s".
std::string SecondsText(std::chrono::milliseconds time)
{
    char text[32];
    std::snprintf(text, sizeof text, time.count() % 1000 == 0 ? "%.0f s" : "%.1f s", time.count() / 1000.0);
    return text;
}

} // namespace

std::chrono::milliseconds CommandWait::For(const std::string& text) const
{
    return base + perTenCharacters * static_cast<long long>((text.size() + 9) / 10);
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CommandSpeechEngine::CommandSpeechEngine(std::string command, CommandWait wait)
    : command_(std::move(command))
    , wait_(wait)
{
    if (command_.find(kPlace) == std::string::npos)
        throw DeckrecError("the speech command must say where it writes its sound with {wav}, as in "
                           "'mytts --out {wav}'; it reads the text on its standard input");
}

CommandSpeechEngine::~CommandSpeechEngine()
{
    if (!folder_.empty())
        RemovePrivateWorkingDirectory(folder_);
}

std::vector<int16_t> CommandSpeechEngine::SpeakOne(const std::string& sentence, const VoiceChoice& voice,
                                                   int& sampleRate)
{
    if (folder_.empty())
        folder_ = CreatePrivateWorkingDirectory("speech");
    const std::string textPath = folder_ + "sentence.txt", wavPath = folder_ + "sentence.wav",
                      logPath = folder_ + "output.log";
    std::remove(wavPath.c_str());
    {
        std::ofstream text(textPath, std::ios::binary | std::ios::trunc);
        text << sentence << '\n';
        if (!text)
            throw DeckrecError("cannot write the text for the speech command to " + textPath);
    }
    ChildProcess child;
    ChildOptions options;
    options.ownSession = false; // its own group: a stop reaches what the shell started
    // The shell takes the text as its standard input before it runs the command.
    const std::string script = "exec < " + ShellQuoted(textPath) + "\n" + Substituted(command_, wavPath);
    std::string error;
    if (!child.Start({"/bin/sh", "-c", script},
                     {"DECKREC_SPEECH_LANGUAGE=" + voice.language, "DECKREC_SPEECH_VOICE=" + voice.name}, -1, logPath,
                     error, options))
        throw DeckrecError("the speech command could not start: " + error);

    const std::chrono::milliseconds limit = wait_.For(sentence);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (!child.Ended(status)) {
        if (StopAsked()) {
            child.Kill();
            throw InterruptedError();
        }
        if (std::chrono::steady_clock::now() > deadline) {
            child.Kill();
            throw DeckrecError("the speech command did not finish within " + SecondsText(limit) +
                               " and was stopped (it is given " + SecondsText(wait_.base) + " and " +
                               SecondsText(wait_.perTenCharacters) + " more per 10 characters of a sentence)" +
                               OutputTail(logPath));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        throw DeckrecError("the speech command failed with exit status " + std::to_string(WEXITSTATUS(status)) +
                           OutputTail(logPath));
    if (!WIFEXITED(status))
        throw DeckrecError("the speech command " + WaitStatusText(status) + OutputTail(logPath));
    MonoSound sound = ReadMonoSound(wavPath, "the speech command");
    sampleRate = sound.sampleRate;
    return std::move(sound.samples);
}

SpokenText CommandSpeechEngine::Speak(const std::vector<std::string>& sentences, const VoiceChoice& voice)
{
    SpokenTextBuilder builder("the speech command");
    for (const std::string& sentence : sentences) {
        if (StopAsked())
            throw InterruptedError();
        int rate = 0;
        const std::vector<int16_t> samples = SpeakOne(sentence, voice, rate);
        builder.Add(samples.data(), samples.size(), rate, kSentencePauseSeconds);
    }
    return builder.Take();
}

std::string CommandSpeechEngine::Describe(const VoiceChoice&) const
{
    return "command " + command_;
}
