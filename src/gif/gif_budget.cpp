// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_budget.h"

#include "core/byte_size_text.h"
#include "core/picture_ops.h"
#include "core/slot_reader.h"
#include "gif/colour_tolerance.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

// Scaled pictures a search keeps for the builds of one size; slots past this are read again for
// each build, so that a very long recording costs time rather than all of the memory.
constexpr size_t kScaledPicturesInMemory = size_t{768} << 20;

// Counts what a save would write without keeping it.
class ByteCounter : public GifOutput {
public:
    void Write(const void*, size_t count) override { bytes += static_cast<long long>(count); }
    long long bytes = 0;
};

// The recording's slots at one output size: the stored pictures read and scaled once.
class ScaledRecording {
public:
    ScaledRecording(const WorkingFiles& files, int frameCount, int width, int height, const Progress& progress)
        : reader_(files, frameCount), width_(width), height_(height)
    {
        slots_.resize(static_cast<size_t>(frameCount));
        size_t kept = 0;
        for (int n = 1; n <= frameCount; ++n) {
            Slot& slot = slots_[static_cast<size_t>(n - 1)];
            slot.stored = reader_.Stored(n);
            if (!slot.stored || kept >= kScaledPicturesInMemory)
                continue;
            progress.Report(n - 1, frameCount);
            progress.Idle();
            if (progress.Cancelled())
                throw GifCancelled();
            reader_.Read(n, slot.picture);
            ScaleBitmapInPlace(slot.picture, width_, height_);
            slot.cached = true;
            kept += static_cast<size_t>(slot.picture.width()) * slot.picture.height() * 3;
        }
    }

    int frameCount() const { return static_cast<int>(slots_.size()); }
    bool Stored(int n) const { return slots_[static_cast<size_t>(n - 1)].stored; }
    Picture Take(int n) const
    {
        const Slot& slot = slots_[static_cast<size_t>(n - 1)];
        if (slot.cached)
            return slot.picture;
        Picture picture;
        reader_.Read(n, picture);
        ScaleBitmapInPlace(picture, width_, height_);
        return picture;
    }

private:
    struct Slot {
        bool stored = false;
        bool cached = false;
        Picture picture;
    };
    SlotReader reader_;
    int width_;
    int height_;
    std::vector<Slot> slots_;
};

std::unique_ptr<TGIFImage> BuildStep(const WorkingFiles& files, const ScaledRecording& recording,
                                     const GifBudgetRequest& request, const GifBuildOptions& options,
                                     const Progress& progress)
{
    GifAnimationBuilder builder(files.WorkingDirectory(), request.memoryBound, request.framePeriodMs);
    const int count = recording.frameCount();
    for (int n = 1; n <= count; ++n) {
        progress.Report(n - 1, count);
        progress.Idle();
        if (progress.Cancelled())
            throw GifCancelled();
        if (recording.Stored(n))
            builder.AddStoredSlot(recording.Take(n), options);
        else
            builder.AddMissingSlot(options);
    }
    return builder.TakeAnimation();
}

} // namespace

const std::vector<std::pair<int, int>>& GifBudgetLadder()
{
    // Tolerances first, in steps that grow as their effect on the bytes shrinks; then fewer
    // colours, whose shorter codes save what a tolerance no longer does.
    static const std::vector<std::pair<int, int>> ladder = {
        {0, 256},  {2, 256},  {4, 256},  {6, 256},  {8, 256},  {12, 256},
        {16, 256}, {24, 256}, {32, 256}, {32, 128}, {48, 64},  {64, 32},
    };
    return ladder;
}

GifBudgetResult FitGifToBudget(const WorkingFiles& files, int frameCount, const GifBudgetRequest& request,
                               const Progress& progress)
{
    GifBudgetResult result;
    const auto& ladder = GifBudgetLadder();
    const int last = static_cast<int>(ladder.size()) - 1;
    for (const auto& [width, height] : request.sizes) {
        const ScaledRecording recording(files, frameCount, width, height, progress);
        ++result.sizesRead;
        std::map<int, long long> bytesOf;
        std::unique_ptr<TGIFImage> best; // of the best step known to fit
        int bestStep = -1;
        auto stepAt = [&](int i) {
            return GifBudgetStep{width, height, ladder[static_cast<size_t>(i)].first, ladder[static_cast<size_t>(i)].second};
        };
        auto fits = [&](int i) {
            GifBuildOptions options = request.options;
            options.width = width;
            options.height = height;
            options.highFidelity = true;
            options.tolerance = ladder[static_cast<size_t>(i)].first;
            options.colors = ladder[static_cast<size_t>(i)].second;
            std::unique_ptr<TGIFImage> animation = BuildStep(files, recording, request, options, progress);
            ++result.builds;
            ByteCounter counter;
            animation->SaveToStream(counter);
            bytesOf[i] = counter.bytes;
            if (counter.bytes > request.maxBytes)
                return false;
            best = std::move(animation);
            bestStep = i;
            return true;
        };
        // The cheapest step first: when it does not fit, no step of this size does.
        if (!fits(last)) {
            result.smallest = stepAt(last);
            result.smallestBytes = bytesOf[last];
            continue;
        }
        // The bytes fall along the ladder: halve the steps between the best known not to fit
        // and the best known to fit.
        int low = 0;
        int high = last;
        while (low < high) {
            const int middle = (low + high) / 2;
            if (fits(middle))
                high = middle;
            else
                low = middle + 1;
        }
        result.animation = std::move(best);
        result.chosen = stepAt(bestStep);
        result.bytes = bytesOf[bestStep];
        return result;
    }
    return result;
}

std::string GifBudgetChoiceText(const GifBudgetStep& step, long long bytes)
{
    std::string text = std::to_string(step.width) + " x " + std::to_string(step.height) + ", tolerance " +
                       std::to_string(step.tolerance);
    if (step.colors < 256)
        text += ", " + std::to_string(step.colors) + " colours";
    return text + ": " + ByteSizeText(bytes);
}

bool ParseGifByteLimit(const std::string& text, long long& bytes)
{
    return ParseByteSize(text, bytes);
}
