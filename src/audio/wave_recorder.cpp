// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/wave_recorder.h"

#include "core/deckrec_error.h"

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <filesystem>

namespace {

// The newest quarter second stays in memory until it is older: a stop can then end the
// recording exactly on its moment even when the input delivered a little ahead.
constexpr int64_t kHoldBackMs = 250;
// How far sound may sit from the moment it was captured before the recording moves it: more
// than an input's delivery jitter, well below what the ear notices against the pictures.
constexpr int64_t kPlacementToleranceMs = 30;

int64_t SteadyMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

WaveRecorder::WaveRecorder(SoundInputService& input, Clock clock)
    : input_(input), clock_(clock ? std::move(clock) : Clock(&SteadyMicroseconds))
{
}

WaveRecorder::~WaveRecorder()
{
    close();
}

void WaveRecorder::open(const std::string& path, const std::string& input)
{
    close();
    format_ = ReadDeclaredFormat(path);
    std::string error;
    capture_ = input_.open(input, format_.rate, format_.channels, error);
    if (!capture_)
        throw DeckrecError("Can not record sound: " + error);
    path_ = path;
    open_ = true;
}

bool WaveRecorder::record()
{
    if (!open_ || recording_)
        return false;
    {
        std::lock_guard lock(mutex_);
        held_.clear();
        written_ = 0;
        end_ = UINT64_MAX;
        stats_ = {};
        started_ = false;
        writer_.reset();
        try {
            writer_ = std::make_unique<WaveFileWriter>(path_, format_);
        } catch (const DeckrecError&) {
            return false;
        }
    }
    if (!capture_->start(*this))
        return false;
    {
        std::lock_guard lock(mutex_);
        startedUs_ = clock_();
        started_ = true;
    }
    recording_ = true;
    return true;
}

void WaveRecorder::stop()
{
    if (!recording_)
        return;
    {
        std::unique_lock lock(mutex_);
        const int64_t elapsedUs = std::max<int64_t>(0, clock_() - startedUs_);
        uint64_t end = uint64_t(elapsedUs) * uint64_t(format_.rate) / 1000000u;
        // ADPCM files hold whole blocks: end on the nearest block boundary.
        const uint64_t block = writer_->framesPerBlock();
        end = (end + block / 2) / block * block;
        end_ = end;
        arrived_.wait_for(lock, std::chrono::milliseconds(tailWaitMs_), [&] { return haveFrames() >= end_; });
    }
    capture_->stop();
    std::lock_guard lock(mutex_);
    finishAt(end_);
    recording_ = false;
}

void WaveRecorder::save(const std::string& path)
{
    if (recording_)
        stop();
    std::unique_ptr<WaveFileWriter> writer;
    {
        std::lock_guard lock(mutex_);
        writer = std::move(writer_);
    }
    // Nothing was recorded: the file still comes out in its format, without sound.
    if (!writer)
        writer = std::make_unique<WaveFileWriter>(path_, format_);
    writer->finish();
    if (path == path_)
        return;
    namespace fs = std::filesystem;
    std::error_code error;
    fs::rename(path_, path, error);
    if (error) {
        fs::copy_file(path_, path, fs::copy_options::overwrite_existing, error);
        if (error)
            throw DeckrecError("Can not save the sound file " + path + ": " + error.message());
        fs::remove(path_, error);
    }
}

void WaveRecorder::close()
{
    if (capture_)
        capture_->stop();
    recording_ = false;
    capture_.reset();
    std::lock_guard lock(mutex_);
    writer_.reset();
    held_.clear();
    open_ = false;
}

void WaveRecorder::samples(const int16_t* data, size_t frames, int64_t ageUs)
{
    int peak = 0;
    for (size_t k = 0; k < frames * static_cast<size_t>(std::max(1, format_.channels)); ++k)
        peak = std::max(peak, std::abs(static_cast<int>(data[k])));
    if (peak > peak_.load())
        peak_ = std::min(peak, 32767);
    std::lock_guard lock(mutex_);
    if (!writer_)
        return;
    if (started_) {
        // Where this sound belongs on the recording's time line, against where counting puts
        // it. Small differences are the input's normal jitter and stay; a larger one is a
        // stall (or a late start) that becomes silence, or an input running ahead, whose
        // surplus is cut, so that what follows is where it happened.
        const int64_t rate = format_.rate;
        const int64_t capturedUs = clock_() - ageUs - startedUs_;
        const int64_t belongs = capturedUs >= 0 ? capturedUs * rate / 1000000 : -((-capturedUs) * rate / 1000000);
        const int64_t have = int64_t(haveFrames());
        const int64_t tolerance = rate * kPlacementToleranceMs / 1000;
        if (belongs - have > tolerance) {
            const uint64_t before = haveFrames();
            appendSilence(size_t(belongs - have));
            stats_.stallFrames += haveFrames() - before;
        } else if (have - belongs > tolerance) {
            const size_t surplus = size_t(std::min<int64_t>(have - belongs, int64_t(frames)));
            stats_.droppedFrames += surplus;
            data += surplus * size_t(format_.channels);
            frames -= surplus;
        }
    }
    append(data, frames);
}

void WaveRecorder::silence(size_t frames)
{
    std::lock_guard lock(mutex_);
    if (!writer_)
        return;
    stats_.holeFrames += frames;
    appendSilence(frames);
}

void WaveRecorder::append(const int16_t* data, size_t frames)
{
    const size_t channels = size_t(format_.channels);
    const uint64_t have = haveFrames();
    // An input whose clock runs faster than ours (a sound card's crystal, or a virtual source
    // that produces ahead of real time) would make the sound outlast the pictures: nothing
    // is kept beyond the time elapsed plus the hold-back window.
    const uint64_t limit = std::min(end_, aheadLimit());
    const size_t kept = have >= limit ? 0 : size_t(std::min<uint64_t>(frames, limit - have));
    stats_.droppedFrames += frames - kept;
    if (kept == 0)
        return;
    held_.insert(held_.end(), data, data + kept * channels);
    writeOlderThanHoldBack();
    arrived_.notify_all();
}

void WaveRecorder::appendSilence(size_t frames)
{
    // In pieces, so that a long hole never needs much memory at once.
    static const std::vector<int16_t> zeros(8192, 0);
    const size_t piece = zeros.size() / size_t(format_.channels);
    while (frames > 0) {
        const size_t n = std::min(frames, piece);
        append(zeros.data(), n);
        frames -= n;
    }
}

uint64_t WaveRecorder::haveFrames() const
{
    return written_ + held_.size() / size_t(format_.channels);
}

uint64_t WaveRecorder::aheadLimit() const
{
    if (!started_)
        return UINT64_MAX;
    const int64_t elapsedUs = std::max<int64_t>(0, clock_() - startedUs_);
    return uint64_t(elapsedUs) * uint64_t(format_.rate) / 1000000u + uint64_t(format_.rate) * kHoldBackMs / 1000u;
}

void WaveRecorder::writeOlderThanHoldBack()
{
    const size_t channels = size_t(format_.channels);
    const size_t holdFrames = size_t(int64_t(format_.rate) * kHoldBackMs / 1000);
    const size_t heldFrames = held_.size() / channels;
    if (heldFrames <= holdFrames)
        return;
    const size_t n = heldFrames - holdFrames;
    writer_->write(held_.data(), n);
    held_.erase(held_.begin(), held_.begin() + ptrdiff_t(n * channels));
    written_ += n;
}

void WaveRecorder::finishAt(uint64_t end)
{
    if (!writer_)
        return;
    const size_t channels = size_t(format_.channels);
    const uint64_t keep = end > written_ ? std::min<uint64_t>(end - written_, held_.size() / channels) : 0;
    writer_->write(held_.data(), size_t(keep));
    written_ += keep;
    held_.clear();
    // The input fell silent or the server went away: the rest of the time is silence.
    if (written_ < end) {
        stats_.paddedFrames = end - written_;
        writer_->writeSilence(size_t(end - written_));
        written_ = end;
    }
    stats_.frames = written_;
}
