// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/media_player.h"

namespace {
// Result codes kept in Error.
constexpr int kRecordFailed = 1;
constexpr uint16_t kWaveAudioDevice = 1;
} // namespace

TMediaPlayer::TMediaPlayer(QObject* owner, SoundInputService& input) : QObject(owner), recorder_(input) {}

TMediaPlayer::~TMediaPlayer() = default;

void TMediaPlayer::checkOpen() const
{
    if (deviceId_ == 0)
        throw EMCIDeviceError("No MCI device open");
}

void TMediaPlayer::Open()
{
    if (deviceId_ != 0)
        Close();
    // The device follows from the file's extension: only wave audio records here.
    if (DeviceType == dtAutoSelect && !FileName.endsWith(".wav", Qt::CaseInsensitive))
        throw EMCIDeviceError("Cannot determine the device type from the given filename extension.");
    try {
        recorder_.open(FileName.toStdString(), InputName.toStdString());
    } catch (const DeckrecError& e) {
        throw EMCIDeviceError(e.what());
    }
    deviceId_ = kWaveAudioDevice;
    error_ = 0;
}

void TMediaPlayer::StartRecording()
{
    checkOpen();
    error_ = recorder_.record() ? 0 : kRecordFailed;
}

void TMediaPlayer::Stop()
{
    checkOpen();
    recorder_.stop();
    error_ = 0;
}

void TMediaPlayer::Save()
{
    if (FileName.isEmpty())
        return;
    checkOpen();
    // A recording that can't be written is reported, not passed over: the session's sound
    // would be lost without a word otherwise.
    try {
        recorder_.save(FileName.toStdString());
    } catch (const DeckrecError& e) {
        throw EMCIDeviceError(e.what());
    }
    error_ = 0;
}

void TMediaPlayer::Close()
{
    if (deviceId_ == 0)
        return;
    recorder_.close();
    deviceId_ = 0;
    error_ = 0;
}
