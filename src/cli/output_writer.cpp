// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/output_writer.h"

#include "video/video_export.h"
#include "cli/terminal.h"
#include "core/frame_period.h"
#include "core/progress.h"
#include "core/byte_size_text.h"
#include "core/captions.h"
#include "core/deckrec_error.h"
#include "core/zoom_sizes.h"
#include "gif/gif_animation_builder.h"
#include "gif/gif_budget.h"
#include "gif/gif_save.h"

#include <filesystem>
#include <fstream>

namespace {

// A bar on the terminal for one step of an output, stopped by an interruption.
Progress TerminalBar(Terminal& terminal, const std::string& label, const std::function<bool()>& interrupted)
{
    Progress bar;
    bar.report = [&terminal, label](long long done, long long total) { terminal.Progress(label, done, total); };
    bar.cancelled = interrupted;
    return bar;
}

// The windows' quality list runs 10000..2000; "Medium Quality" is their default.
constexpr int kDefaultQuality = 4000;

std::string FileName(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

long long FileBytes(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<long long>(size);
}

TPixelFormat PixelFormatOfBits(int bits)
{
    switch (bits) {
    case 1:
        return TPixelFormat::pf1bit;
    case 4:
        return TPixelFormat::pf4bit;
    case 8:
        return TPixelFormat::pf8bit;
    case 32:
        return TPixelFormat::pf32bit;
    default:
        return TPixelFormat::pf24bit;
    }
}

ZoomSize RecordedSizeOf(const RecordingToExport& recording)
{
    try {
        return RecordingSize(recording.files, recording.frameCount);
    } catch (const std::exception&) {
        // An unreadable first frame fails the export that reads it, with its own message.
        return kUnknownRecording;
    }
}

// The sizes a size budget may try: the one asked for, then the list's smaller ones.
std::vector<std::pair<int, int>> BudgetSizes(ZoomSize asked, ZoomSize recorded)
{
    std::vector<std::pair<int, int>> sizes = {{asked.width, asked.height}};
    for (int item = 0; item < 5; ++item) {
        const auto [width, height] = GifZoomSize(item, recorded);
        if (width < asked.width)
            sizes.emplace_back(width, height);
    }
    return sizes;
}

// --gif-max-size: the best GIF that fits, or no file and the reason.
std::string WriteGifWithinBudget(const PlannedOutput& output, const CommandLine& command,
                                 const RecordingToExport& recording, const GifBuildOptions& options,
                                 Terminal& terminal, const std::function<bool()>& interrupted, int& frames)
{
    const std::string label = FileName(output.path);
    GifBudgetRequest request;
    request.maxBytes = command.gifMaxBytes;
    request.sizes = BudgetSizes({options.width, options.height}, RecordedSizeOf(recording));
    request.options = options;
    request.framePeriodMs = recording.framePeriodMs;
    // One bar a build (or a size's reading): the search's builds are few.
    const Progress building = TerminalBar(terminal, label + " fitting", interrupted);
    const Progress save = TerminalBar(terminal, label + " writing", interrupted);
    try {
        GifBudgetResult fit = FitGifToBudget(recording.files, recording.frameCount, request, building);
        if (!fit.animation)
            throw DeckrecError("cannot write " + output.path + " within " + ByteSizeText(command.gifMaxBytes) +
                               ": even the smallest try (" + GifBudgetChoiceText(fit.smallest, fit.smallestBytes) +
                               ") is larger; no file was written");
        if (fit.animation->Empty())
            throw DeckrecError("cannot write " + output.path + ": the recording holds no picture");
        frames = fit.animation->Count();
        SaveGifFile(*fit.animation, output.path, save);
        return GifBudgetChoiceText(fit.chosen, fit.bytes) + " (" + std::to_string(fit.builds) + " builds)";
    } catch (const GifCancelled&) {
        throw InterruptedError();
    }
}

std::string WriteGif(const PlannedOutput& output, const CommandLine& command, const RecordingToExport& recording,
                     Terminal& terminal, const std::function<bool()>& interrupted, int& frames)
{
    const ZoomSize size = GifOutputSize(command.size, RecordedSizeOf(recording));
    GifBuildOptions options;
    options.width = size.width;
    options.height = size.height;
    options.grayScale = command.grayScale;
    options.smallerSize = !command.gifBestQuality;
    options.floydSteinberg = command.floydSteinberg;
    options.highFidelity = command.gifHighFidelity;
    options.tolerance = command.gifTolerance;
    if (command.gifMaxBytes > 0)
        return WriteGifWithinBudget(output, command, recording, options, terminal, interrupted, frames);
    const std::string label = FileName(output.path);
    GifBuildSettings settings;
    settings.readOptions = [options] { return options; };
    settings.framePeriodMs = recording.framePeriodMs;
    const Progress building = TerminalBar(terminal, label + " building", interrupted);
    const Progress save = TerminalBar(terminal, label + " writing", interrupted);
    try {
        std::unique_ptr<TGIFImage> animation =
            BuildGifAnimation(recording.files, recording.frameCount, settings, building);
        if (animation->Empty())
            throw DeckrecError("cannot write " + output.path + ": the recording holds no picture");
        frames = animation->Count();
        SaveGifFile(*animation, output.path, save);
    } catch (const GifCancelled&) {
        throw InterruptedError();
    }
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

// What a line on the terminal says when no captions can be made.
std::string WhyNoCaptions(const RecordingToExport& recording)
{
    if (!recording.notesRead)
        return "the deck's speaker notes could not be read";
    if (recording.slides.empty())
        return "the recording kept no slide times";
    return "the deck has no speaker notes";
}

std::vector<TimedText> Chapters(const RecordingToExport& recording)
{
    if (recording.narrated)
        return recording.narratedChapters;
    return SlideChapters(recording.slides, recording.frameCount, recording.framePeriodMs);
}

// The cues, and a line for each slide whose notes did not fit its time.
std::vector<TimedText> Captions(const RecordingToExport& recording, const std::string& target, Terminal& terminal)
{
    if (recording.narrated)
        return recording.narratedCaptions;
    std::vector<int> shortened;
    std::vector<TimedText> cues = RecordingCues(SlideSpans(recording.slides, recording.frameCount, recording.framePeriodMs),
                                                recording.notes, &shortened);
    for (const int slide : shortened)
        terminal.Summary(target + ": the notes of slide " + std::to_string(slide) +
                         " are longer than its time on screen can show; its captions end in \"…\"");
    return cues;
}

// MP4, WebM and MKV get a chapter per slide; with --captions, a subtitle track of the notes.
void AddDeckText(VideoFileOptions& options, const CommandLine& command, const RecordingToExport& recording,
                 Terminal& terminal)
{
    if (options.format == VideoFormat::Avi)
        return;
    options.chapters = Chapters(recording);
    if (!command.captions)
        return;
    if (!recording.notesRead)
        throw DeckrecError("cannot write " + options.target + " with captions: " + WhyNoCaptions(recording));
    options.captions = Captions(recording, options.target, terminal);
    if (options.captions.empty())
        terminal.Summary(options.target + ": no caption track: " + WhyNoCaptions(recording));
}

void WriteTextFile(const std::string& path, const std::string& text)
{
    const std::string part = path + ".part";
    {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        file << text;
        if (!file.flush())
            throw DeckrecError("cannot write " + path);
    }
    std::error_code ec;
    std::filesystem::rename(part, path, ec);
    if (ec) {
        std::filesystem::remove(part, ec);
        throw DeckrecError("cannot write " + path + ": " + ec.message());
    }
}

std::string WriteDeckText(const PlannedOutput& output, const RecordingToExport& recording, Terminal& terminal)
{
    if (output.text == DeckTextOutput::ChapterList) {
        if (recording.slides.empty() && !recording.narrated)
            throw DeckrecError("cannot write " + output.path + ": the recording kept no slide times");
        const SiteChapterList list = SiteChapters(Chapters(recording));
        WriteTextFile(output.path, list.text);
        for (const std::string& title : list.merged)
            terminal.Summary(output.path + ": \"" + title + "\" is shorter than 10 seconds, merged into the chapter before it");
        if (!list.enoughForSites)
            terminal.Summary(output.path + ": fewer than three chapters of 10 seconds or more; video sites show no chapters for it");
        return "chapter list";
    }
    // An empty caption file would pass for a deck without notes.
    if (!recording.notesRead)
        throw DeckrecError("cannot write " + output.path + ": " + WhyNoCaptions(recording));
    const std::vector<TimedText> cues = Captions(recording, output.path, terminal);
    if (cues.empty())
        terminal.Summary(output.path + ": no captions: " + WhyNoCaptions(recording));
    WriteTextFile(output.path, output.text == DeckTextOutput::WebVtt ? WebVttText(cues) : SubRipText(cues));
    return std::to_string(cues.size()) + " captions";
}

std::string WriteVideo(const PlannedOutput& output, const CommandLine& command, const RecordingToExport& recording,
                       EncoderFacility& encoders, Terminal& terminal, const std::function<bool()>& interrupted)
{
    VideoFileOptions options;
    options.format = output.format;
    options.encoderCode = output.encoderCode;
    options.quality = command.quality.value_or(kDefaultQuality);
    options.pixelFormat = PixelFormatOfBits(command.bits);
    options.size = output.evenSize.value_or(VideoOutputSize(command.size, RecordedSizeOf(recording)));
    if (output.evenSize) {
        const ZoomSize asked = VideoOutputSize(command.size, RecordedSizeOf(recording));
        terminal.Summary(output.path + ": " + std::to_string(asked.width) + "x" + std::to_string(asked.height) +
                         " is written as " + std::to_string(options.size.width) + "x" + std::to_string(options.size.height) +
                         ": encoder " + output.encoderCode + " takes even sides only");
    }
    options.framePeriodMs = recording.framePeriodMs;
    options.soundFile = recording.withSound ? recording.files.SoundFilePath() : "";
    options.target = output.path;
    AddDeckText(options, command, recording, terminal);
    const std::string label = FileName(output.path);
    const Progress progress = TerminalBar(terminal, label, interrupted);
    try {
        ExportVideoFile(encoders, recording.files, recording.frameCount, options, progress);
    } catch (const ExportCancelled&) {
        throw InterruptedError();
    }
    return std::to_string(options.size.width) + "x" + std::to_string(options.size.height) + " " + output.encoderCode;
}

} // namespace

std::string WriteOutput(const PlannedOutput& output, const CommandLine& command, const RecordingToExport& recording,
                        EncoderFacility& encoders, Terminal& terminal, const std::function<bool()>& interrupted)
{
    if (output.text != DeckTextOutput::None)
        return output.path + ": " + WriteDeckText(output, recording, terminal);
    int frames = recording.frameCount;
    const std::string detail = output.gif ? WriteGif(output, command, recording, terminal, interrupted, frames)
                                          : WriteVideo(output, command, recording, encoders, terminal, interrupted);
    const long long durationMs = SlotsDurationMs(recording.frameCount, recording.framePeriodMs);
    return output.path + ": " + ByteSizeText(FileBytes(output.path)) + ", " + detail + ", " + std::to_string(frames) +
           " frames, " + DurationText(durationMs);
}

bool OutputsNeedNotes(const CommandLine& command)
{
    if (command.captions || !command.keepRecording.empty())
        return true;
    for (const std::string& path : command.outputs) {
        const DeckTextOutput text = DeckTextOutputOf(path);
        if (text == DeckTextOutput::WebVtt || text == DeckTextOutput::SubRip)
            return true;
    }
    return false;
}
