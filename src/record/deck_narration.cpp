// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/deck_narration.h"

#include "core/narration_takes.h"

#include "audio/loudness_normaliser.h"
#include "audio/sound_clip.h"
#include "core/deckrec_error.h"
#include "core/duration_text.h"
#include "core/frame_period.h"
#include "core/speech_text.h"
#include "platform/interruption.h"
#include "record/deck_build_steps.h"
#include "record/deck_hidden_slides.h"
#include "record/deck_note_languages.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

void Warn(const NarrationReports& reports, const std::string& text)
{
    if (reports.warning)
        reports.warning(text);
}

// Ctrl+C in a terminal, or the windows' Cancel: nothing more is read, nothing is written.
void EndIfStopped(const NarrationReports& reports)
{
    if (Interrupted() || (reports.stopped && reports.stopped()))
        throw InterruptedError();
}

struct Take {
    std::string name;
    SoundClip sound;
};

// The takes of DIR by slide: slide-NN.wav (two digits or more). Another file is left out with
// a warning; a take that is no WAVE file, or two takes of one slide, stop the run: a slide
// would otherwise be recorded without what its author meant it to say.
std::map<int, Take> ReadTakes(const std::string& folder, int slideCount, const NarrationReports& reports)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw DeckrecError("cannot read the takes in " + folder + ": " +
                           (fs::exists(folder, ec) ? "it is not a folder" : "no such folder"));
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        files.push_back(it->path());
    if (ec)
        throw DeckrecError("cannot read the takes in " + folder + ": " + ec.message());
    std::sort(files.begin(), files.end());
    std::map<int, Take> takes;
    for (const fs::path& path : files) {
        const std::string name = path.filename().string();
        const std::optional<int> numbered = TakeSlide(name);
        if (!numbered) {
            Warn(reports, path.string() + " is left out: takes are named slide-NN.wav (slide-01.wav...)");
            continue;
        }
        const int slide = *numbered;
        if (slide > slideCount) {
            Warn(reports, path.string() + " is left out: the deck has slides 1 to " +
                           std::to_string(slideCount));
            continue;
        }
        if (const auto other = takes.find(slide); other != takes.end())
            throw DeckrecError("cannot narrate slide " + std::to_string(slide) + ": two takes, " + other->second.name +
                               " and " + name + "; keep one");
        takes[slide] = {name, ReadWaveClip(path.string())};
    }
    return takes;
}

std::vector<std::vector<std::string>> Sentences(const std::vector<SpokenPiece>& pieces)
{
    std::vector<std::vector<std::string>> sentences;
    for (const SpokenPiece& piece : pieces)
        sentences.push_back(piece.sentences);
    return sentences;
}

// The first slide whose time ends past limitMs.
int SlidePast(const NarrationPlan& plan, long long limitMs)
{
    for (size_t k = 0; k < plan.slideStartMs.size(); ++k) {
        const long long end = k + 1 < plan.slideStartMs.size() ? plan.slideStartMs[k + 1] : plan.log.endMs;
        if (end > limitMs)
            return static_cast<int>(k) + 1;
    }
    return static_cast<int>(plan.slideStartMs.size());
}

} // namespace

NarrationPlan NarrateDeck(const NarrationSettings& settings, const std::string& flatDeck, const DeckText& text,
                          const WorkingFiles& files, const NarrationReaders& readers,
                          const NarrationReports& reports)
{
    const int slideCount = static_cast<int>(text.titles.size());
    const std::vector<int> steps = ReadFlatDeckBuildStepsFile(flatDeck);
    const std::vector<std::string> languages = ReadFlatDeckNoteLanguagesFile(flatDeck);
    const std::vector<bool> hidden = ReadFlatDeckHiddenSlidesFile(flatDeck);
    const std::string mainLanguage = MainNoteLanguage(languages);
    std::map<int, Take> takes;
    if (!settings.takesFolder.empty())
        takes = ReadTakes(settings.takesFolder, slideCount, reports);

    std::vector<SlideNarration> narrations(text.titles.size());
    std::vector<SoundClip> spoken(text.titles.size());
    std::vector<SoundClip*> sounds(text.titles.size(), nullptr);
    for (int slide = 1; slide <= slideCount; ++slide) {
        const size_t k = static_cast<size_t>(slide - 1);
        EndIfStopped(reports);
        if (reports.progress)
            reports.progress(slide - 1, slideCount);
        // The show leaves a hidden slide out: nothing of it is said.
        if (k < hidden.size() && hidden[k]) {
            if (const auto take = takes.find(slide); take != takes.end())
                Warn(reports, take->second.name + " is left out: slide " + std::to_string(slide) +
                               " is hidden, the show leaves it out");
            continue;
        }
        const std::vector<SpokenPiece> pieces = SpeechPieces(k < text.notes.size() ? text.notes[k] : "");
        if (const auto take = takes.find(slide); take != takes.end()) {
            if (take->second.sound.Ms() > 0) {
                narrations[k] = TakeNarration(Sentences(pieces), take->second.sound.Ms());
                sounds[k] = &take->second.sound;
                continue;
            }
            Warn(reports, take->second.name + " lasts 0 seconds: slide " + std::to_string(slide) +
                           " is taken as having no take");
        }
        const std::vector<std::string> sentences = SentencesOf(pieces);
        if (!settings.narrate || !readers || sentences.empty())
            continue;
        const std::string language = SlideNoteLanguage(languages, slide, mainLanguage);
        const NarrationReader reader = readers(language, language == mainLanguage);
        if (reports.status)
            reports.status("Reading the notes of slide " + std::to_string(slide) + " of " + std::to_string(slideCount) +
                        " (" + reader.engine->Describe(reader.voice) + ")");
        SpokenText said = reader.engine->Speak(sentences, reader.voice);
        EndIfStopped(reports);
        if (said.sampleRate <= 0 || said.samples.empty())
            continue;
        std::vector<long long> endsMs;
        for (const size_t end : said.sentenceEnds)
            endsMs.push_back(static_cast<long long>(end) * 1000 / said.sampleRate);
        spoken[k] = {std::move(said.samples), said.sampleRate};
        narrations[k] = SpokenNarration(Sentences(pieces), endsMs);
        narrations[k].lengthMs = std::max(narrations[k].lengthMs, spoken[k].Ms());
        sounds[k] = &spoken[k];
    }

    const NarrationTiming timing{settings.gapMs, settings.latencyMs};
    NarrationPlan plan = PlanNarration(narrations, steps, text.titles, timing, hidden);
    for (const std::string& warning : plan.warnings)
        Warn(reports, warning);

    // The frames must reach the end of the sound: a narration past the slot limit stops here,
    // before anything is drawn.
    const int slotLimit = settings.slotLimit;
    const long long limitMs = SlotsDurationMs(slotLimit - 1, settings.framePeriodMs);
    if (plan.log.endMs > limitMs) {
        const int slide = SlidePast(plan, limitMs);
        const auto take = takes.find(slide);
        const size_t k = static_cast<size_t>(slide - 1);
        throw DeckrecError("cannot record the narration: it runs " + DurationText(plan.log.endMs) +
                           ", past the recording's limit of " + DurationText(limitMs) + " (" +
                           std::to_string(slotLimit - 1) + " slots) at slide " + std::to_string(slide) +
                           (take != takes.end() ? " (its take " + take->second.name + " lasts " +
                                                      DurationText(narrations[k].lengthMs) + ")"
                                                : "") +
                           "; " + settings.longerLimitHint + " records for longer");
    }

    // Each slide's own loudness: takes recorded on different days, and voices, sound alike.
    std::vector<PlacedSound> placed;
    for (size_t k = 0; k < sounds.size(); ++k) {
        if (!sounds[k])
            continue;
        NormaliseLoudness(sounds[k]->samples, 1, sounds[k]->rate);
        placed.push_back({sounds[k], plan.slideStartMs[k]});
    }
    EndIfStopped(reports);
    WriteSoundTrack(files.SoundFilePath(), placed, plan.log.endMs);
    if (reports.progress)
        reports.progress(slideCount, slideCount);
    return plan;
}
