#pragma once
// The outputs of a run, each checked before anything is recorded: a known format, a folder that
// takes the file, and for video an encoder of the catalogue that the container holds at the
// colour depth asked for.

#include "platform/ffmpeg/container_format.h"
#include "cli/command_line.h"
#include "core/deckrec_error.h"
#include "core/zoom_sizes.h"

#include <optional>
#include <string>
#include <vector>

class EncoderFacility;

struct PlannedOutput {
    std::string path;
    bool gif = false;
    VideoFormat format = VideoFormat::Avi; // for video
    std::string encoderCode;               // for video: the catalogue's code
    DeckTextOutput text = DeckTextOutput::None; // a file of the deck's text, neither GIF nor video
    // For video: the size asked for, moved to the nearest even sides of the same shape for an
    // encoder that takes no odd ones; unset when the size asked for is taken as it is.
    std::optional<ZoomSize> evenSize;
};

// An output the options cannot give (an encoder the container does not hold, a size or depth
// the encoder does not take): a usage error, where a folder that takes no file is not.
class OutputOptionsError : public DeckrecError {
public:
    using DeckrecError::DeckrecError;
};

// Throws DeckrecError with the one line to print when an output cannot be written: an
// OutputOptionsError when the options are at fault.
std::vector<PlannedOutput> PlanOutputs(const CommandLine& command, EncoderFacility& encoders);

// The size of a video output for a recording of the given size (kUnknownRecording before it).
ZoomSize VideoOutputSize(const OutputSize& size, ZoomSize recorded);
// The even size nearest to width x height that keeps its shape: the width to the nearest even
// number, the height to the even number nearest to its share of it (halfway: the smaller).
ZoomSize NearestEvenSize(int width, int height);
// The same for a GIF, whose sides may be odd.
ZoomSize GifOutputSize(const OutputSize& size, ZoomSize recorded);
