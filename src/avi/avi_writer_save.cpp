// The writer's closing save: sound, output file and release.
#include "avi/avi_writer.h"

#include "core/deckrec_error.h"
#include "avi/avi_output_file.h"
#include "avi/frame_fitting.h"
#include "avi/wav_audio_source.h"

#include <filesystem>

namespace fs = std::filesystem;

void TAviWriter_2::EndFrames()
{
    initialised_ = false;
    framesComplete_ = true;
}

void TAviWriter_2::OpenSoundStream()
{
    try {
        sound_ = std::make_unique<WavAudioSource>(wavFileName_);
    } catch (const AudioFileOpenError&) {
        wavFileName_.clear();
        throw;
    }
}

void TAviWriter_2::CloseVideo()
{
    if (!framesComplete_) {
        temp_.abandon();
        throw DeckrecError("Video must be finalized");
    }
    try {
        if (!wavFileName_.empty())
            OpenSoundStream();
        std::error_code error;
        if (fs::exists(filename, error) && !fs::remove(filename, error))
            throw DeckrecError("File " + fs::path(filename).filename().string() +
                               " could not be deleted. It could be in use by another application.");
        SaveOutput();
    } catch (...) {
        ReleaseAfterSave();
        throw;
    }
    ReleaseAfterSave();
}

void TAviWriter_2::SaveOutput()
{
    // A file of no frames is no video; the save command never asks for one.
    if (frameCounter_ == 0)
        throw DeckrecError("The video holds no frames");
    int result = temp_.isOpen() ? temp_.finish() : -1;
    if (result == 0) {
        AviOutputPlan plan;
        plan.temporaryPath = TempFileName;
        plan.outputPath = filename;
        plan.frameCount = frameCounter_;
        plan.compress = !compressionCode_.empty();
        plan.compression.code = compressionCode_;
        plan.compression.width = frameWidth_;
        plan.compression.height = frameHeight_;
        plan.compression.bitCount = BitsPerPixel(frameFormat_);
        plan.compression.frameTime = static_cast<int>(header_.dwScale);
        plan.compression.quality = options_.dwQuality;
        plan.compression.keyFrameEvery = static_cast<int>(options_.dwKeyFrameEvery);
        plan.palette = FramePalette(frameFormat_);
        plan.audio = sound_.get();
        plan.progress = OnSaveProgress;
        result = WriteAviOutput(plan, facility_);
    }
    if (result != 0)
        throw DeckrecError("Unable to write output file. Error " + HexCode(result));
}

void TAviWriter_2::ReleaseAfterSave()
{
    sound_.reset();
    temp_.abandon();
    DeleteTemporaryFile();
    framesComplete_ = false;
}
