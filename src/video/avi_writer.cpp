#include "video/avi_writer.h"

#include "core/deckrec_error.h"
#include "core/frame_period.h"
#include "video/frame_fitting.h"
#include "platform/ffmpeg/wav_audio_source.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kVids = 0x73646976; // "vids"
constexpr int kWriteException = static_cast<int>(0x800440C7u);

std::string LowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void Put32(std::vector<uint8_t>& block, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        block[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

std::string DefaultTemporaryPath()
{
    std::error_code error;
    std::string folder = fs::temp_directory_path(error).string();
    if (folder.empty())
        folder = "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return folder + "~AWTemp.avi";
}

bool SamePicture(const Picture& a, const Picture& b)
{
    return a.width() == b.width() && a.height() == b.height() && a.pixelFormat() == b.pixelFormat() &&
           a.palette() == b.palette() && a.byteCount() == b.byteCount() &&
           (a.byteCount() == 0 || std::memcmp(a.bits(), b.bits(), a.byteCount()) == 0);
}

} // namespace

uint32_t StringToFourcc(const std::string& code)
{
    if (code.empty())
        return 0;
    uint32_t tag = 0;
    for (int i = 3; i >= 0; --i) {
        const size_t at = static_cast<size_t>(i);
        tag = tag << 8 | static_cast<unsigned char>(at < code.size() ? code[at] : ' ');
    }
    return tag;
}

std::string HexCode(int code)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(code));
    return text;
}

TAviWriter_2::TAviWriter_2(EncoderFacility& facility, int screenWidth, int screenHeight)
    : Width(screenWidth / 10), Height(screenHeight / 10), TempFileName(DefaultTemporaryPath()), facility_(facility),
      output_(facility)
{
}

TAviWriter_2::~TAviWriter_2()
{
    formatBlock_.clear();
    output_.abandon();
    sound_.reset();
    DeleteTemporaryFile();
}

void TAviWriter_2::SetPixelFormat(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
    case TPixelFormat::pf24bit:
    case TPixelFormat::pf32bit:
        pixelFormat_ = format;
        return;
    default:
        throw DeckrecError("Pixelformat not supported");
    }
}

void TAviWriter_2::SetWavFileName(const std::string& name)
{
    if (LowerCase(name) == LowerCase(wavFileName_))
        return;
    if (!name.empty() && LowerCase(fs::path(name).extension().string()) != ".wav")
        throw DeckrecError("WavFileName must name a file with the .wav extension");
    wavFileName_ = name;
}

void TAviWriter_2::OpenVideo()
{
    // A file left open by a run that failed is closed here, so that it can be deleted.
    output_.abandon();
    sound_.reset();
    soundError_ = nullptr;
    if (FrameTime <= 0)
        throw DeckrecError("FrameTime must be a positive number of milliseconds");
    if (Width <= 0 || Height <= 0)
        throw DeckrecError("Width and Height must be positive");
    std::error_code error;
    if (fs::exists(TempFileName, error) && !fs::remove(TempFileName, error))
        throw DeckrecError("Could not delete " + TempFileName +
                           " file might be in use. Try to close the folder if it's open in Explorer");
    if (const int result = output_.create(TempFileName))
        throw DeckrecError("Failed to create AVI video file. Err: $" + HexCode(result));

    header_ = StreamHeader{};
    header_.fccType = kVids;
    header_.fccHandler = StringToFourcc(compressorCode_);
    // A whole number of ms per frame keeps its classic header; another period its fraction.
    const PeriodFraction period = PeriodAsFraction(FramePeriodMs > 0 ? FramePeriodMs : FrameTime);
    header_.dwScale = static_cast<uint32_t>(period.numerator);
    header_.dwRate = static_cast<uint32_t>(period.denominator * 1000);
    header_.dwQuality = quality_;
    header_.rcFrame[2] = Width;
    header_.rcFrame[3] = Height;

    frameCounter_ = 0;
    initialised_ = true;
    framesComplete_ = false;
}

void TAviWriter_2::AppendFrame(const Picture& picture)
{
    if (!initialised_)
        throw DeckrecError("Video must be initialized.");
    // The stream's size and format are those of its first frame: a change of the settings
    // while frames are added cannot make frames the file's format block does not describe.
    const bool first = frameCounter_ == 0;
    // Most slots of a recording repeat the picture before them: that one is fitted once.
    if (first || !SamePicture(picture, lastPicture_)) {
        lastFrame_ = FitPicture(picture, first ? Width : frameWidth_, first ? Height : frameHeight_,
                                first ? pixelFormat_ : frameFormat_);
        lastPicture_ = picture;
    }
    WriteFrame(lastFrame_);
}

void TAviWriter_2::WriteFrame(const Picture& bitmap)
{
    if (frameCounter_ == 0) {
        PrepareVideoFormat(bitmap);
        StartOutput(bitmap);
    }
    int result = 0;
    try {
        result = output_.writeFrame(bitmap);
    } catch (const std::exception&) {
        result = kWriteException;
    }
    if (result != 0)
        throw DeckrecError("Failed to add Frame. Err: " + HexCode(result));
    ++frameCounter_;
}

void TAviWriter_2::PrepareVideoFormat(const Picture& bitmap)
{
    const int bits = BitsPerPixel(bitmap.pixelFormat());
    const std::vector<uint32_t>& palette = FramePalette(bitmap.pixelFormat());
    const size_t colours = bits <= 8 ? size_t{1} << bits : 0;
    formatBlock_.assign(40 + 4 * colours, 0);
    Put32(formatBlock_, 0, 40);
    Put32(formatBlock_, 4, static_cast<uint32_t>(bitmap.width()));
    Put32(formatBlock_, 8, static_cast<uint32_t>(bitmap.height())); // positive: rows bottom-up
    formatBlock_[12] = 1;                                            // planes
    formatBlock_[14] = static_cast<uint8_t>(bits);
    Put32(formatBlock_, 20, static_cast<uint32_t>(bitmap.byteCount()));
    Put32(formatBlock_, 32, static_cast<uint32_t>(colours));
    Put32(formatBlock_, 36, static_cast<uint32_t>(colours));
    for (size_t i = 0; i < colours && i < palette.size(); ++i)
        Put32(formatBlock_, 40 + 4 * i, palette[i]); // RGBQUAD: blue, green, red, 0

    options_ = CompressOptions{};
    compressionCode_ = compressorCode_;
    if (!compressorCode_.empty()) {
        options_.fccType = kVids;
        options_.fccHandler = StringToFourcc(compressorCode_);
        // About one key frame a second; halves round to even.
        options_.dwKeyFrameEvery = static_cast<uint32_t>(SlotsOfASecond(FrameTime));
        options_.dwQuality = quality_;
        options_.dwFlags = 0x0C; // key frames, valid
        options_.cbFormat = static_cast<uint32_t>(formatBlock_.size());
    }
    frameWidth_ = bitmap.width();
    frameHeight_ = bitmap.height();
    frameFormat_ = bitmap.pixelFormat();
}

void TAviWriter_2::StartOutput(const Picture& bitmap)
{
    // The sound stream is part of the file's header. A sound file that cannot be read does not
    // stop the frames: the closing save reports it, as it always has, and writes nothing.
    if (!wavFileName_.empty()) {
        try {
            OpenSoundStream();
        } catch (const DeckrecError&) {
            soundError_ = std::current_exception();
        }
    }
    AviStreamPlan plan;
    plan.width = bitmap.width();
    plan.height = bitmap.height();
    plan.bitCount = BitsPerPixel(bitmap.pixelFormat());
    plan.frameTime = FramePeriodMs > 0 ? FramePeriodMs : FrameTime;
    plan.palette = FramePalette(bitmap.pixelFormat());
    plan.compress = !compressionCode_.empty();
    plan.compression.code = compressionCode_;
    plan.compression.width = plan.width;
    plan.compression.height = plan.height;
    plan.compression.bitCount = plan.bitCount;
    plan.compression.frameTime = plan.frameTime;
    plan.compression.quality = options_.dwQuality;
    plan.compression.keyFrameEvery = static_cast<int>(options_.dwKeyFrameEvery);
    plan.audio = sound_.get();
    if (const int result = output_.start(plan)) {
        // An encoder that refuses to start fails as its compression always has.
        if (plan.compress)
            throw DeckrecError("Unable to write output file. Error " + HexCode(result));
        throw DeckrecError("Failed to set AVI stream format");
    }
}

void TAviWriter_2::DeleteTemporaryFile()
{
    std::error_code error;
    if (!TempFileName.empty())
        fs::remove(TempFileName, error);
}
