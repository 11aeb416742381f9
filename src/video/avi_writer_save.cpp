// SPDX-License-Identifier: GPL-3.0-or-later
// The writer's closing save: the rest of the sound, the index, the output name and release.
#include "video/avi_writer.h"

#include "core/deckrec_error.h"
#include "platform/ffmpeg/wav_audio_source.h"

#include <cerrno>

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
        output_.abandon();
        throw DeckrecError("Video must be finalized");
    }
    try {
        if (soundError_)
            std::rethrow_exception(soundError_);
        if (!wavFileName_.empty() && !sound_)
            OpenSoundStream(); // a video of no frames never opened it
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
    int result = output_.started() ? output_.finish() : -1;
    if (result == 0) {
        // The complete file takes the output name in one step; from another file system it is
        // copied, and a copy that failed part way is removed.
        std::error_code error;
        fs::rename(TempFileName, filename, error);
        if (error == std::errc::cross_device_link) {
            error.clear();
            fs::copy_file(TempFileName, filename, fs::copy_options::overwrite_existing, error);
            if (error) {
                std::error_code ignored;
                fs::remove(filename, ignored);
            }
        }
        if (error)
            result = -(error.value() ? error.value() : EIO);
    }
    if (result != 0)
        throw DeckrecError("Unable to write output file. Error " + HexCode(result));
    if (OnSaveProgress)
        OnSaveProgress(100);
}

void TAviWriter_2::ReleaseAfterSave()
{
    output_.abandon();
    sound_.reset();
    soundError_ = nullptr;
    lastPicture_ = Picture();
    lastFrame_ = Picture();
    DeleteTemporaryFile();
    framesComplete_ = false;
}

void TAviWriter_2::AbandonVideo()
{
    ReleaseAfterSave();
    initialised_ = false;
}
