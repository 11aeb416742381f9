// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns the frame slots of a recording into one animated GIF: stored slots become frames
// (whole, or with "Smaller Size" cropped transparent difference frames), slots without a
// picture of their own and unchanged pictures lengthen the frame before them.

#include "core/frame_period.h"
#include "core/picture.h"
#include "core/progress.h"
#include "core/working_files.h"
#include "core/zoom_sizes.h"
#include "gif/gif_hifi_builder.h"
#include "gif/gif_cancelled.h"
#include "gif/gif_frame_packer.h"
#include "gif/gif_image.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

// Display time of a frame added by AddGifFrame, in hundredths: one slot of the default period.
constexpr int GifFrameDelay = 15;
// Largest delay the 16-bit field holds.
constexpr int kMaxGifDelay = 65535;
// Coded frame data a build keeps in memory before the rest goes to the working directory.
constexpr size_t kGifFramesInMemory = size_t{32} << 20;

struct GifBuildOptions {
    int width = 560;
    int height = 420;
    bool grayScale = false;      // "GrayScale" instead of "256Colors"
    bool smallerSize = true;     // difference frames ("Smaller Size") or whole ones ("Best Quality")
    bool floydSteinberg = false; // error diffusion instead of the nearest colour
    bool highFidelity = false;   // exact colours, shared palette, smaller difference frames
    // High Fidelity only: how far a shown colour may be from the source (colour_tolerance.h),
    // and the most entries of a frame's table.
    int tolerance = 0;
    int colors = 256;
};

// Output size of a zoom list item for a recording of the given size: 480 x 360, 360 x 270,
// 240 x 180, 120 x 90 for items 1..4 and 560 x 420 for item 0 and anything else, with heights
// that follow a recording not shaped 4:3; the last item is the recording's own size, odd sides
// included (a GIF takes them).
std::pair<int, int> GifZoomSize(int itemIndex, ZoomSize recorded = kUnknownRecording);

// Appends one frame made from source (a one-frame image, or an 8-bit bitmap with its
// palette) with delay GifFrameDelay; frame 0 also gets the loop extension (loop forever)
// ahead of it. With transparentIndex >= 0 the frame is transparent there and cropped to the
// rest. Returns the new frame's index; *control receives its graphic control extension.
int AddGifFrame(TGIFImage& animation, const TGIFImage& source, int transparentIndex,
                TGIFGraphicControlExtension** control = nullptr);
int AddGifFrame(TGIFImage& animation, const Picture& source, int transparentIndex,
                TGIFGraphicControlExtension** control = nullptr);

// What comparing a frame with the one before gives: the pixels that show the same colour,
// and the highest index the changed pixels leave free (-1 when they use all 256).
struct FrameComparison {
    long long unchanged = 0;
    int transparentIndex = -1;
};
// Both frames must have the same size.
FrameComparison CompareFrames(const TGIFSubImage& current, const TGIFSubImage& previous);

// The build, one slot at a time; the caller reads the frame store.
class GifAnimationBuilder {
public:
    // Finished frames are packed (the last one by TakeAnimation); with a spill folder their coded data beyond memoryBound
    // bytes goes to a file there (see TGIFImage::SetSpillFolder). Every slot lasts
    // framePeriodMs (see gif_delays.h for how that becomes whole hundredths).
    explicit GifAnimationBuilder(const std::string& spillFolder = "", size_t memoryBound = kGifFramesInMemory,
                                 double framePeriodMs = kDefaultFramePeriodMs);
    ~GifAnimationBuilder();

    // A slot with a picture of its own (24-bit, any size: it is scaled to the zoom size).
    void AddStoredSlot(Picture picture, const GifBuildOptions& options);
    // A slot without one: what is shown stays for another slot.
    void AddMissingSlot(const GifBuildOptions& options);
    // The animation built so far; the builder starts again empty.
    std::unique_ptr<TGIFImage> TakeAnimation();

private:
    void NewAnimation();
    // The hundredths of the slot being added; the next call gives the next slot's.
    int TakeSlotDelay();
    void AddFrame(const TGIFImage& current, const FrameComparison& comparison, int delay);
    void AddDifferenceFrame(const TGIFImage& current, int transparentIndex, int delay);
    void AddHighFidelityFrame(const Picture& scaled, const GifBuildOptions& options, int delay);
    // After a new frame: slots met before the first frame lengthen it.
    void GiveLeadingDelay();
    void ExtendDelay(long long hundredths);
    void AppendRepeatFrame();

    std::string spillFolder_;
    size_t memoryBound_;
    double framePeriodMs_;
    // Slots added to the animation being built.
    long long slots_ = 0;
    std::unique_ptr<TGIFImage> animation_;
    // The last reduced frame, whole: what the screen shows after the last frame.
    std::unique_ptr<TGIFImage> previousFrame_;
    TGIFGraphicControlExtension* lastFrameControl_ = nullptr;
    // Time of slots met before the first frame, given to that frame when it comes.
    long long leadingDelay_ = 0;
    // What "High Fidelity" knows of the screen; forgotten when the other mode adds a frame.
    GifHifiFrames hifi_;
    // Codes the last finished frame while the next one is made; declared after animation_,
    // so that it is done with that frame before the frame goes.
    GifFramePacker packer_;
};

struct GifBuildSettings {
    // Asked once per slot, after the slot's progress report: the options it is added with
    // (the windows let the user change them during a build).
    std::function<GifBuildOptions()> readOptions;
    // Coded frame data kept in memory; the rest goes to a file in the working directory.
    size_t memoryBound = kGifFramesInMemory;
    // The recording's frame period: how long each slot shows.
    double framePeriodMs = kDefaultFramePeriodMs;
};

// Builds the animation from frame slots 1..frameCount of the frame store. Before slot k
// (0-based) progress reports k of frameCount and idles, then its cancel is asked: true raises
// GifCancelled and nothing of the build is kept. Errors of the frame store pass through. The
// animation's frames are packed; those beyond settings.memoryBound live in a nameless file in
// the working directory until the animation is released.
std::unique_ptr<TGIFImage> BuildGifAnimation(const WorkingFiles& files, int frameCount,
                                             const GifBuildSettings& settings, const Progress& progress = {});
