// SPDX-License-Identifier: GPL-3.0-or-later
// A narrated recording in the windows: when the deck has recorded takes, or "Narrate notes" is
// checked, Start Record plays nothing live. The narration's track becomes the recording's
// sound, its plan the slide actions the Recorder renders, and its chapters and captions those
// of the video exports.
#include "ui/main_window.h"

#include "core/narration_takes.h"
#include "platform/presentation_preparer.h"
#include "platform/speech/narration_voices.h"
#include "record/deck_narration.h"
#include "ui/dialogs.h"
#include "ui/narration_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <filesystem>

namespace {

bool HasTakes(const std::string& folder)
{
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (TakeSlide(it->path().filename().string()))
            return true;
    return false;
}

} // namespace

bool TForm1::Narrated() const
{
    return deckChosen_ && Narrates(NarrationSettingsNow());
}

NarrationSettings TForm1::NarrationSettingsNow() const
{
    NarrationSettings settings;
    settings.narrate = dialog_narration && dialog_narration->checkbox_narrate->isChecked();
    if (settings.narrate) {
        settings.voice = dialog_narration->voice();
        settings.ttsCommand = dialog_narration->ttsCommand();
    }
    const std::string folder = NarrationFolderFor(Edit1->text().toStdString());
    if (HasTakes(folder))
        settings.takesFolder = folder;
    if (dialog_narration)
        settings.gapMs = dialog_narration->gapMs();
    settings.latencyMs = LatencyMs();
    settings.slotLimit = SlotLimit();
    settings.framePeriodMs = FramePeriodMs();
    // The windows record at most 9999 slots: longer slots hold a longer narration.
    settings.longerLimitHint = "a lower frame rate";
    return settings;
}

void TForm1::PrepareNarration(std::function<void(int, int)> progress,
                              std::function<void(std::optional<PerformanceLog>)> done)
{
    pendingNarration_.reset();
    if (!services_.presentations) {
        done(std::nullopt);
        return;
    }
    QPointer<TForm1> self(this);
    const QString deck = Edit1->text();
    const NarrationSettings settings = NarrationSettingsNow();
    services_.presentations->ConvertToFlat(deck, [self, deck, settings, progress, done](const QString& flat) {
        if (!self)
            return;
        const auto fail = [self, deck, done](const std::string& why) {
            self->services_.dialogs->message(self->DialogParent(), "Cannot narrate " + deck + ": " + QString::fromStdString(why),
                                             "Narration", DialogService::Icon::Error);
            done(std::nullopt);
        };
        const DeckText text = flat.isEmpty() ? DeckText{} : ReadFlatDeckTextFile(flat.toStdString());
        if (text.titles.empty())
            return fail("its slides and speaker notes could not be read.");
        // The voices are made on the narration's own thread, which alone uses them.
        NarrationJob::Work work = [settings, flatDeck = flat.toStdString(), text,
                                   files = self->services_.files](const NarrationReports& reports) {
            std::unique_ptr<NarrationVoices> voices;
            NarrationReaders readers;
            if (settings.narrate) {
                voices = std::make_unique<NarrationVoices>(settings.voice, settings.ttsCommand, reports.warning,
                                                           reports.stopped);
                readers = [&voices](const std::string& language, bool main) { return voices->For(language, main); };
            }
            return NarrateDeck(settings, flatDeck, text, files, readers, reports);
        };
        self->narrationJob_.Start(std::move(work), progress, [self, fail, done](NarrationJob::Outcome outcome) {
            if (!self)
                return;
            if (!outcome.plan)
                return fail(outcome.error);
            // A take left out or a voice standing in for another: the recording goes on, and
            // the user hears why it sounds as it does.
            if (!outcome.warnings.empty()) {
                QString text = "The narration is recorded, with these changes:";
                for (const std::string& warning : outcome.warnings)
                    text += "\n- " + QString::fromStdString(warning);
                self->services_.dialogs->message(self->DialogParent(), text, "Narration", DialogService::Icon::Warning);
            }
            self->pendingNarration_ = std::move(outcome.plan);
            done(self->pendingNarration_->log);
        });
    });
}
