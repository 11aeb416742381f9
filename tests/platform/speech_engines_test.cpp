// SPDX-License-Identifier: GPL-3.0-or-later
// The voices as the narration gets them: every linked voice speaks each sentence into its own
// stretch of the take; a user's command is run, bounded and reported on in each way it can
// fail; and the choice of voice from language, --voice and --tts-command.
#include "audio/loudness_normaliser.h"
#include "core/deckrec_error.h"
#include "core/speech_text.h"
#include "fake_speech_engine.h"
#include "platform/interruption.h"
#include "platform/speech/command_speech_engine.h"
#include "platform/speech/espeak_speech_engine.h"
#include "platform/speech/flite_speech_engine.h"
#include "platform/speech/speech_choice.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

const std::vector<std::string> kTwoSentences{"The results are in.", "Sales grew by twelve percent this year."};

// Whether samples[from, to) has sound in it.
bool Sounds(const SpokenText& spoken, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        if (std::abs(spoken.samples[i]) > 1000)
            return true;
    return false;
}

void ExpectSpokenInTurn(const SpokenText& spoken, size_t sentences, double shortestSeconds)
{
    ASSERT_EQ(spoken.sentenceEnds.size(), sentences);
    ASSERT_GT(spoken.sampleRate, 0);
    EXPECT_EQ(spoken.sentenceEnds.back(), spoken.samples.size());
    size_t start = 0;
    for (const size_t end : spoken.sentenceEnds) {
        EXPECT_GE(end - start, static_cast<size_t>(shortestSeconds * spoken.sampleRate));
        EXPECT_TRUE(Sounds(spoken, start, end));
        start = end;
    }
}

std::string MessageOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const DeckrecError& error) {
        return error.what();
    }
    return "(no error)";
}

} // namespace

TEST(SpeechEngines, EveryLinkedVoiceSpeaksEachSentenceInItsOwnStretch)
{
    struct Case {
        std::shared_ptr<SpeechEngine> engine;
        VoiceChoice voice;
        int rate;
    };
    const Case cases[] = {
        {std::make_shared<EspeakSpeechEngine>(), {"en-us", ""}, 22050},
        {std::make_shared<EspeakSpeechEngine>(), {"de", ""}, 22050},
        {std::make_shared<EspeakSpeechEngine>(), {"", "German"}, 22050},
        {std::make_shared<FliteSpeechEngine>(), {"en", "cmu_us_slt"}, 16000},
        {std::make_shared<FliteSpeechEngine>(), {"en", "rms"}, 16000},
        {std::make_shared<FliteSpeechEngine>(), {"en", "awb"}, 16000},
        {std::make_shared<FliteSpeechEngine>(), {"en", "kal16"}, 16000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.engine->Describe(c.voice));
        const SpokenText spoken = c.engine->Speak(kTwoSentences, c.voice);
        EXPECT_EQ(spoken.sampleRate, c.rate);
        ExpectSpokenInTurn(spoken, 2, 0.5);
        // The longer sentence takes longer.
        EXPECT_GT(spoken.sentenceEnds[1] - spoken.sentenceEnds[0], spoken.sentenceEnds[0]);
        EXPECT_TRUE(c.engine->Speak({}, c.voice).samples.empty());
    }
    EXPECT_NE(MessageOf([] {
                  EspeakSpeechEngine().Speak(kTwoSentences, {"", "nobody"});
              }).find("no voice"),
              std::string::npos);
    EXPECT_NE(MessageOf([] {
                  FliteSpeechEngine().Speak(kTwoSentences, {"", "nobody"});
              }).find("cmu_us_rms"),
              std::string::npos);
}

TEST(SpeechEngines, ACommandSpeaksThroughTheShellAndEachWayItFailsIsReported)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("deckrec-speech-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string heard = (folder / "heard.txt").string();
    // The sentence arrives on standard input and the voice in the environment; a stereo file is
    // mixed down.
    CommandSpeechEngine speaker("cat >> " + ShellQuoted(heard) + "; echo \"$DECKREC_SPEECH_LANGUAGE\" >> " +
                                ShellQuoted(heard) + "; sox -n -r 8000 -c 2 {wav} synth 0.6 sine 300");
    const SpokenText spoken = speaker.Speak(kTwoSentences, {"de", ""});
    EXPECT_EQ(spoken.sampleRate, 8000);
    ExpectSpokenInTurn(spoken, 2, 0.6);
    std::ifstream heardFile(heard);
    const std::string text((std::istreambuf_iterator<char>(heardFile)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, kTwoSentences[0] + "\nde\n" + kTwoSentences[1] + "\nde\n");

    struct Failure {
        const char* command;
        const char* message;
    };
    const Failure failures[] = {
        {"echo the voice is missing >&2; exit 3; : {wav}", "failed with exit status 3: the voice is missing"},
        {"kill -SEGV $$; : {wav}", "crashed (signal 11"},
        {"sleep 20 > {wav}", "did not finish within 0.3 s and was stopped"},
        {": {wav}", "wrote no sound"},
        {"echo not a sound > {wav}", "no sound file"},
        {"say it", "must say where it writes its sound with {wav}"},
    };
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.command);
        const auto started = std::chrono::steady_clock::now();
        const std::string message = MessageOf([&] {
            CommandSpeechEngine(f.command, {std::chrono::milliseconds(300), std::chrono::milliseconds(0)})
                .Speak(kTwoSentences, {});
        });
        EXPECT_NE(message.find(f.message), std::string::npos) << message;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    }

    // A reading stopped from elsewhere ends at once, and its command with it.
    CommandSpeechEngine sleeper("sleep 20 > {wav}");
    std::atomic<bool> stop = false;
    sleeper.StopWhen([&stop] { return stop.load(); });
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop = true;
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(sleeper.Speak(kTwoSentences, {}), InterruptedError);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    std::filesystem::remove_all(folder);
}

TEST(SpeechEngines, TheVoiceIsChosenFromLanguageVoiceAndCommand)
{
    struct Case {
        const char* language;
        const char* voice;
        const char* command;
        const char* chosen; // the engine's description, or a part of the error
    };
    const Case cases[] = {
        {"", "", "", "flite cmu_us_rms"},
        {"en-GB", "", "", "flite cmu_us_rms"},
        {"de", "", "", "espeak-ng de"},
        {"pt_BR", "", "", "espeak-ng pt-br"},
        {"de", "slt", "", "flite cmu_us_slt"},
        {"en", "German", "", "espeak-ng German"},
        {"en", "fr", "", "espeak-ng fr"},
        {"de", "en-US", "", "flite cmu_us_rms"},
        {"de", "", "mytts --out {wav}", "command mytts --out {wav}"},
        {"en", "nobody at all", "", "no voice is named \"nobody at all\""},
        {"zz", "", "", "no voice speaks the language \"zz\""},
        {"", "", "mytts", "must say where it writes its sound with {wav}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.language) + " / " + c.voice + " / " + c.command);
        const std::string chosen = MessageOf([&] {
            const ChosenSpeech speech = ChooseSpeech(c.language, c.voice, c.command);
            throw DeckrecError(speech.engine->Describe(speech.voice));
        });
        EXPECT_NE(chosen.find(c.chosen), std::string::npos) << chosen;
    }
}

TEST(SpeechEngines, NotesAreSpokenPieceByPieceAndBroughtToTheNarrationLoudness)
{
    const std::vector<SpokenPiece> pieces =
        SpeechPieces("<p>• Welcome to the <b>results</b> 🎉</p>\n• Sales grew. Costs fell.\n[click]\nQuestions?");
    ASSERT_EQ(pieces.size(), 2u);
    FakeSpeechEngine fake;
    for (const std::shared_ptr<SpeechEngine>& engine :
         {std::shared_ptr<SpeechEngine>(ChooseSpeech("en", "", "").engine),
          std::shared_ptr<SpeechEngine>(ChooseSpeech("de", "", "").engine),
          std::shared_ptr<SpeechEngine>(&fake, [](SpeechEngine*) {})}) {
        for (const SpokenPiece& piece : pieces) {
            SpokenText spoken = engine->Speak(piece.sentences, {"en", ""});
            SCOPED_TRACE(engine->Describe({"en", ""}) + ": " + piece.sentences.front());
            ExpectSpokenInTurn(spoken, piece.sentences.size(), 0.3);
            const LoudnessChange change = NormaliseLoudness(spoken.samples, 1, spoken.sampleRate);
            EXPECT_NEAR(change.after.integratedLufs, -16.0, 0.5);
            EXPECT_LE(change.after.truePeakDbtp, -1.0);
        }
    }
    // The fake's tones last as long as it says.
    ASSERT_EQ(fake.calls.size(), 2u);
    EXPECT_EQ(fake.calls[0], (std::vector<std::string>{"Welcome to the results", "Sales grew.", "Costs fell."}));
    const SpokenText tones = fake.Speak({"abc", "abcdef"}, {});
    EXPECT_EQ(tones.sentenceEnds,
              (std::vector<size_t>{fake.SamplesFor("abc"), fake.SamplesFor("abc") + fake.SamplesFor("abcdef")}));
}
