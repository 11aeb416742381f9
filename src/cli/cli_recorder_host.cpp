// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_recorder_host.h"

#include "audio/media_player.h"
#include "audio/sound_file.h"
#include "cli/terminal.h"
#include "core/frame_period.h"
#include "platform/sound_input.h"

namespace {

// "ADPCM 44100Hz x1", the windows' default record format.
constexpr int kDefaultRecordFormat = 2;

} // namespace

CliRecorderHost::CliRecorderHost(const CommandLine& command, WorkingFiles files, SoundInputService* soundInput,
                                 Terminal& terminal)
    : command_(command)
    , files_(std::move(files))
    , soundInput_(soundInput)
    , terminal_(terminal)
{
}

CliRecorderHost::~CliRecorderHost() = default;

void CliRecorderHost::SetFrameCount(int frameCount)
{
    frameCount_ = frameCount;
    if (onSlot_ && renderSlots_ >= 0)
        onSlot_(frameCount);
    if (renderSlots_ > 0) {
        terminal_.Progress("Rendering the pictures", frameCount, renderSlots_);
        return;
    }
    const long long elapsedMs = SlotsDurationMs(frameCount, FramePeriodMs());
    // Auto Record acts once per latency: the slide action count follows from the time.
    const long long slide = elapsedMs / command_.latencyMs + 1;
    std::string text = "Recording slide " + std::to_string(slide);
    const std::string title = title_ ? title_() : std::string();
    if (!title.empty())
        text += " (" + title + ")";
    text += "  " + DurationText(elapsedMs);
    // Live, only the sound is recorded: the pictures are drawn afterwards.
    if (renderSlots_ < 0)
        text += "  (live, with sound)";
    terminal_.Status(text);
}

void CliRecorderHost::PerformanceLogged(const PerformanceLog& log)
{
    if (onPerformance_)
        onPerformance_(log);
}

void CliRecorderHost::StartSound(const std::string& path)
{
    if (!soundInput_) {
        soundError_ = "no sound input";
        return;
    }
    try {
        PrepareSoundFile(files_.ProgramFolder(), TemplateForRecordFormat(kDefaultRecordFormat), path);
        player_ = std::make_unique<TMediaPlayer>(nullptr, *soundInput_);
        player_->DeviceType = dtAutoSelect;
        player_->FileName = QString::fromStdString(path);
        player_->InputName = QString::fromStdString(command_.audioSource.empty() ? kDefaultOutputMonitor
                                                                                 : command_.audioSource);
        player_->Open();
        player_->StartRecording();
        if (player_->Error() != 0)
            soundError_ = "the sound input " + player_->InputName.toStdString() + " cannot be recorded";
    } catch (const std::exception& e) {
        soundError_ = e.what();
    }
    if (!soundError_.empty() && onSoundFailure_)
        onSoundFailure_();
}

void CliRecorderHost::StopSound()
{
    if (!player_)
        return;
    try {
        player_->Stop();
        player_->Save();
        player_->Close();
    } catch (const std::exception& e) {
        if (soundError_.empty())
            soundError_ = std::string("cannot save the sound: ") + e.what();
    }
    player_.reset();
}

void CliRecorderHost::SessionEnded(bool kept)
{
    ended_ = true;
    kept_ = kept;
}

void CliRecorderHost::ShowStalled(const ShownSlide& slide, int deckMs)
{
    terminal_.Error("warning: slide " + std::to_string(slide.number) + (slide.title.empty() ? "" : " (" + slide.title + ")") +
                    " did not move on by itself " + std::to_string(deckMs) + " ms after its effects, as the deck says; "
                    "the recorder clicked it on");
}
