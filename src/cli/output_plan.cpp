#include "cli/output_plan.h"

#include "core/deckrec_error.h"
#include "gif/gif_animation_builder.h"
#include "platform/encoder_facility.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void CheckFolderTakesFile(const std::string& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        throw DeckrecError("cannot write " + path + ": it is a folder");
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::is_directory(folder, ec))
        throw DeckrecError("cannot write " + path + ": the folder " + folder.string() + " does not exist");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        throw DeckrecError("cannot write " + path + ": the folder " + folder.string() + " is not writable");
}

std::optional<EncoderEntry> EncoderOfCode(EncoderFacility& encoders, const std::string& code)
{
    for (const EncoderEntry& entry : encoders.encoders())
        if (entry.code == code)
            return entry;
    return std::nullopt;
}

// The windows' default: the format's own encoder; for AVI the first DIVX entry, else WMV.
std::optional<EncoderEntry> DefaultEncoder(EncoderFacility& encoders, VideoFormat format)
{
    const std::vector<EncoderEntry> all = encoders.encoders();
    if (format == VideoFormat::Avi) {
        for (const char* wanted : {"DIVX", "WMV"})
            for (const EncoderEntry& entry : all)
                if (entry.code.find(wanted) != std::string::npos)
                    return entry;
        return std::nullopt;
    }
    for (const EncoderEntry& entry : all)
        if (entry.name == FormatInfo(format).defaultEncoder)
            return entry;
    return std::nullopt;
}

std::string CodesFor(EncoderFacility& encoders, VideoFormat format)
{
    std::string codes;
    for (const EncoderEntry& entry : encoders.encoders())
        if (FormatTakesEncoder(format, entry.name))
            codes += (codes.empty() ? "" : ", ") + entry.code;
    return codes;
}

} // namespace

ZoomSize VideoOutputSize(const OutputSize& size, ZoomSize recorded)
{
    switch (size.kind) {
    case OutputSize::Kind::Exact:
        return {size.width, size.height};
    case OutputSize::Kind::Original:
        return ZoomSizeFor(kOriginalSizeItem, recorded, OriginalSides::Even);
    case OutputSize::Kind::FirstListItem:
        break;
    }
    return ZoomSizeFor(0, recorded, OriginalSides::Even);
}

ZoomSize NearestEvenSize(int width, int height)
{
    // Halfway between two even numbers the smaller one: nothing is scaled up for it.
    const auto nearestEven = [](double side) { return std::max(2, 2 * static_cast<int>(std::ceil(side / 2 - 0.5))); };
    const int evenWidth = nearestEven(width);
    return {evenWidth, nearestEven(static_cast<double>(height) * evenWidth / width)};
}

ZoomSize GifOutputSize(const OutputSize& size, ZoomSize recorded)
{
    switch (size.kind) {
    case OutputSize::Kind::Exact:
        return {size.width, size.height};
    case OutputSize::Kind::Original: {
        const auto [width, height] = GifZoomSize(kOriginalSizeItem, recorded);
        return {width, height};
    }
    case OutputSize::Kind::FirstListItem:
        break;
    }
    const auto [width, height] = GifZoomSize(0, recorded);
    return {width, height};
}

std::vector<PlannedOutput> PlanOutputs(const CommandLine& command, EncoderFacility& encoders)
{
    std::vector<PlannedOutput> plan;
    for (const std::string& path : command.outputs) {
        CheckFolderTakesFile(path);
        PlannedOutput output;
        output.path = path;
        output.text = DeckTextOutputOf(path);
        if (output.text != DeckTextOutput::None) {
            plan.push_back(output);
            continue;
        }
        const std::optional<VideoFormat> format = FormatOfFileName(path);
        if (!format) {
            output.gif = true;
            plan.push_back(output);
            continue;
        }
        output.format = *format;
        const VideoFormatInfo& info = FormatInfo(*format);
        const std::optional<EncoderEntry> encoder =
            command.encoder.empty() ? DefaultEncoder(encoders, *format) : EncoderOfCode(encoders, command.encoder);
        if (!encoder)
            throw OutputOptionsError("cannot write " + path + ": " +
                               (command.encoder.empty() ? std::string("no encoder for ") + info.name + " is installed"
                                                        : "there is no encoder " + command.encoder) +
                               "; " + info.name + " takes " + CodesFor(encoders, *format));
        if (!FormatTakesEncoder(*format, encoder->name))
            throw OutputOptionsError("cannot write " + path + ": " + info.name + " files do not hold " + encoder->code +
                               " video; they take " + CodesFor(encoders, *format));
        if (info.trueColourOnly && command.bits != 24)
            throw OutputOptionsError("cannot write " + path + ": " + info.name + " files take 24-bit pictures only");
        // The recording's shape is not known yet: the capture's is checked now, the recording's
        // again before the first frame.
        const ZoomSize predicted =
            VideoOutputSize(command.size, {command.capture.width, command.capture.height});
        const double framePeriod = FramePeriodOfRate(command.framesPerSecond);
        const auto takes = [&](const ZoomSize& size) {
            return encoders.accepts(encoder->code, size.width, size.height, command.bits, framePeriod);
        };
        if (command.size.kind == OutputSize::Kind::Exact && !takes(predicted) &&
            (predicted.width % 2 != 0 || predicted.height % 2 != 0) &&
            takes(NearestEvenSize(predicted.width, predicted.height)))
            output.evenSize = NearestEvenSize(predicted.width, predicted.height);
        else if (!takes(predicted))
            throw OutputOptionsError("cannot write " + path + ": encoder " + encoder->code + " cannot take " +
                               std::to_string(predicted.width) + "x" + std::to_string(predicted.height) +
                               " pictures of " + std::to_string(command.bits) + " bits");
        output.encoderCode = encoder->code;
        plan.push_back(output);
    }
    return plan;
}
