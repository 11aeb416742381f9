#include "video/container_export.h"

#include "core/frame_period.h"
#include "video/export_progress.h"
#include "video/export_target.h"
#include "video/frame_fitting.h"
#include "core/deckrec_error.h"
#include "core/file_replacement.h"
#include "core/slot_reader.h"
#include "platform/encoder_facility.h"
#include "platform/ffmpeg/container_output_file.h"

namespace {

std::string EncoderNameOf(EncoderFacility& facility, const std::string& code)
{
    for (const EncoderEntry& entry : facility.encoders())
        if (entry.code == code)
            return entry.name;
    return "";
}

// Fewer colours are a property of the pictures: they reach the encoder as true colour, which
// every encoder of these containers takes.
int EncoderBits(TPixelFormat format)
{
    return BitsPerPixel(format) == 32 ? 32 : 24;
}

// Refuses, before any work, what the format or the encoder cannot take.
void RefuseWhatTheFormatCannotHold(EncoderFacility& facility, const WorkingFiles& files, int frameCount,
                                   const VideoFileOptions& options)
{
    const VideoFormatInfo& info = FormatInfo(options.format);
    if (options.format == VideoFormat::Avi)
        throw DeckrecError("AVI files are written by the AVI writer");
    CheckVideoTarget(files, options.target);
    const std::string encoderName = EncoderNameOf(facility, options.encoderCode);
    if (encoderName.empty())
        throw DeckrecError("No compressor for " + options.encoderCode + " available");
    if (!FormatTakesEncoder(options.format, encoderName))
        throw DeckrecError(std::string(info.name) + " cannot hold pictures of encoder " + options.encoderCode);
    if (info.trueColourOnly && BitsPerPixel(options.pixelFormat) != 24)
        throw DeckrecError(std::string(info.name) + " takes 24-bit pictures only");
    const int bits = EncoderBits(options.pixelFormat);
    const int width = options.size.width;
    const int height = options.size.height;
    const double period = options.framePeriodMs;
    if (!facility.accepts(options.encoderCode, width, height, bits, period))
        throw DeckrecError("Encoder " + options.encoderCode + " cannot compress " + std::to_string(width) + "x" +
                           std::to_string(height) + " frames of " + std::to_string(bits) + " bits at " +
                           std::to_string(period) + " ms per frame");
    if (frameCount <= 0)
        throw DeckrecError("No images selected.");
}

ContainerPlan PlanOf(const VideoFileOptions& options)
{
    ContainerPlan plan;
    plan.format = options.format;
    CompressorSettings& settings = plan.compression;
    settings.code = options.encoderCode;
    settings.width = options.size.width;
    settings.height = options.size.height;
    settings.bitCount = EncoderBits(options.pixelFormat);
    settings.frameTime = options.framePeriodMs;
    settings.quality = options.quality;
    settings.keyFrameEvery = SlotsOfASecond(options.framePeriodMs);
    settings.quick = true;
    plan.palette = FramePalette(options.pixelFormat);
    plan.soundFile = options.soundFile;
    plan.chapters = options.chapters;
    plan.captions = options.captions;
    return plan;
}

void Report(const Progress& progress, int value, int frameCount)
{
    ReportExport(progress, value, frameCount);
    progress.Idle();
}

// Only stored slots are read, fitted and converted; a slot without a frame file shows the
// picture before it, which the encoder gets again as a frame of its own.
void WriteFrameSlots(ContainerOutputFile& output, const SlotReader& slots, const VideoFileOptions& options,
                     const Progress& progress)
{
    const int frameCount = slots.frameCount();
    Picture picture;
    bool written = false;
    for (int k = 0; k < frameCount; ++k) {
        StopWhenCancelled(progress);
        Report(progress, k, frameCount);
        const bool read = slots.Read(k + 1, picture);
        if (written && !read) {
            output.repeatFrame();
        } else {
            output.writeFrame(FitPicture(picture, options.size.width, options.size.height, options.pixelFormat));
            written = true;
        }
        output.writeSoundUntil(SlotsDurationMs(k + 1, options.framePeriodMs));
    }
}

} // namespace

void ExportContainerVideo(EncoderFacility& facility, const WorkingFiles& files, int frameCount,
                          const VideoFileOptions& options, const Progress& progress)
{
    RefuseWhatTheFormatCannotHold(facility, files, frameCount, options);
    PendingReplacement part(options.target);
    ContainerOutputFile output(facility, part.path(), options.target, PlanOf(options));
    WriteFrameSlots(output, SlotReader(files, frameCount), options, progress);
    output.endStreams(SlotsDurationMs(frameCount, options.framePeriodMs));
    Report(progress, frameCount + frameCount / 4, frameCount);
    StopWhenCancelled(progress);
    output.close();
    part.Commit();
    Report(progress, ExportProgressMaximum(frameCount), frameCount);
}
