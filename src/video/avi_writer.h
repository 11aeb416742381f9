// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TAviWriter_2 turns a sequence of pictures into an AVI file in one pass. Each frame is
// compressed with the chosen encoder as it is added (or stored as it is without one) and goes
// into the video file under its temporary name, the WAV file's sound interleaved beside it;
// the closing save (CloseVideo) adds the rest of the sound and the index and renames the
// complete file to the output name. No uncompressed copy of the video is ever written.
//
// Call order: settings, OpenVideo, AppendFrame one or more times, EndFrames, CloseVideo, and
// OpenVideo again for the next file. Every failure raises DeckrecError with a fixed text.

#include "core/picture.h"
#include "platform/ffmpeg/avi_output_file.h"
#include "platform/encoder_facility.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class WavAudioSource;

// Shows an encoder's own settings for editing; the values stay with the encoder facility.
class CompressorOptionsEditor {
public:
    virtual ~CompressorOptionsEditor() = default;
    virtual void edit(EncoderFacility& facility, const std::string& code) = 0;
};

// The four characters of code (cut or padded with spaces) as a FourCC, first byte lowest;
// 0 for an empty code.
uint32_t StringToFourcc(const std::string& code);

// code as exactly 8 upper-case hexadecimal digits, as result codes appear in messages.
std::string HexCode(int code);

class TAviWriter_2 {
public:
    // The video stream's header, fixed by OpenVideo.
    struct StreamHeader {
        uint32_t fccType = 0;
        uint32_t fccHandler = 0;
        uint32_t dwFlags = 0;
        uint32_t dwScale = 0;
        uint32_t dwRate = 0;
        int32_t dwQuality = 0;
        uint32_t dwSuggestedBufferSize = 0;
        int32_t rcFrame[4] = {0, 0, 0, 0}; // left, top, right, bottom
    };
    // How the closing save compresses, fixed by the first frame; all zero without a compressor.
    struct CompressOptions {
        uint32_t fccType = 0;
        uint32_t fccHandler = 0;
        uint32_t dwKeyFrameEvery = 0;
        int32_t dwQuality = 0;
        uint32_t dwBytesPerSecond = 0;
        uint32_t dwFlags = 0;
        uint32_t cbFormat = 0;
        uint32_t cbParms = 0;
        uint32_t dwInterleaveEvery = 0;
    };

    // Width and Height start at a tenth of the screen's size.
    explicit TAviWriter_2(EncoderFacility& facility, int screenWidth = 1024, int screenHeight = 768);
    ~TAviWriter_2();
    TAviWriter_2(const TAviWriter_2&) = delete;
    TAviWriter_2& operator=(const TAviWriter_2&) = delete;

    // Settings.
    int Width;
    int Height;
    int FrameTime = 1000; // milliseconds per frame
    // A period that is no whole number of milliseconds (30 frames a second: 33.33 ms) wins
    // over FrameTime when set; 0 leaves FrameTime alone.
    double FramePeriodMs = 0;
    std::string filename; // the output file
    // The video file while it is written: the system's temporary folder + "~AWTemp.avi" until
    // replaced. The output name holds only a complete file.
    std::string TempFileName;
    // Told the closing save's progress, 0..100.
    std::function<void(int percent)> OnSaveProgress;

    TPixelFormat PixelFormat() const { return pixelFormat_; }
    // pf1bit, pf4bit, pf8bit, pf24bit and pf32bit; others raise "Pixelformat not supported".
    void SetPixelFormat(TPixelFormat format);
    const std::string& WavFileName() const { return wavFileName_; }
    // Empty for no sound; otherwise the name must end in ".wav" (any letter case).
    void SetWavFileName(const std::string& name);

    void OpenVideo();
    // Stretches picture (any size and format) to the frame size and format and writes it.
    void AppendFrame(const Picture& picture);
    void EndFrames();
    // Completes the video, renames it to filename and releases the sound.
    void CloseVideo();
    // Stops a video at any point of the call order: the file written so far is deleted, the
    // output name is untouched, and OpenVideo may follow.
    void AbandonVideo();

    // Encoder catalogue: "No Compression" and each encoder that takes the frames as they are
    // set now ("FOURCC name").
    void ListCompressors(std::vector<std::string>& list);
    // Keeps the first 4 characters of code; empty means no compression.
    void SelectCompressor(const std::string& code);
    void SetQuality(int quality) { quality_ = quality; }
    // Asks the chosen encoder whether it takes frames of the current Width, Height,
    // PixelFormat and FrameTime, so that an export learns it before its frame loop rather
    // than in the closing save. Raises "Encoder <code> cannot compress <W>x<H> frames of
    // <bits> bits at <ms> ms per frame" when not; nothing to ask without an encoder.
    void CheckCompressorFits();
    void ConfigureCompressor(CompressorOptionsEditor& editor);

    const std::string& compressorCode() const { return compressorCode_; }
    int quality() const { return quality_; }
    const StreamHeader& streamHeader() const { return header_; }
    const CompressOptions& compressOptions() const { return options_; }
    // The first frame's BITMAPINFOHEADER and colour table.
    const std::vector<uint8_t>& formatBlock() const { return formatBlock_; }
    int frameCounter() const { return frameCounter_; }
    bool initialised() const { return initialised_; }
    bool framesComplete() const { return framesComplete_; }

private:
    void WriteFrame(const Picture& bitmap);
    void PrepareVideoFormat(const Picture& bitmap);
    void StartOutput(const Picture& bitmap);
    void OpenSoundStream();
    void SaveOutput();
    void ReleaseAfterSave();
    void DeleteTemporaryFile();

    EncoderFacility& facility_;
    TPixelFormat pixelFormat_ = TPixelFormat::pf24bit;
    std::string wavFileName_;
    AviOutputFile output_;
    std::unique_ptr<WavAudioSource> sound_;
    // A sound file that failed to open when the frames began; the closing save reports it,
    // where the sound is due.
    std::exception_ptr soundError_;
    StreamHeader header_;
    CompressOptions options_;
    std::string compressionCode_; // the code the compression options name
    std::vector<uint8_t> formatBlock_;
    Picture lastPicture_; // the picture last appended, and its fitted frame
    Picture lastFrame_;
    int frameCounter_ = 0;
    std::string compressorCode_;
    int quality_ = 5000;
    bool initialised_ = false;
    bool framesComplete_ = false;
    // Size and format fixed by the first frame.
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    TPixelFormat frameFormat_ = TPixelFormat::pf24bit;
};
