// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Main window's hidden media player, as far as sound recording drives it: a device that is
// opened on a file, records, stops, saves and closes. Failures that the player reports are
// EMCIDeviceError exceptions; the other result codes are kept in Error.

#include "core/deckrec_error.h"
#include "audio/wave_recorder.h"

#include <QObject>
#include <QString>

class EMCIDeviceError : public DeckrecError {
public:
    using DeckrecError::DeckrecError;
};

enum TMPDeviceTypes { dtAutoSelect, dtWaveAudio };

class TMediaPlayer : public QObject {
    Q_OBJECT
public:
    TMediaPlayer(QObject* owner, SoundInputService& input);
    ~TMediaPlayer() override;

    TMPDeviceTypes DeviceType = dtAutoSelect;
    QString FileName;
    // The input recorded, by the system's name for it; empty: the system's default input.
    QString InputName;

    // Closes a device that is still open (without saving), then opens FileName.
    void Open();
    // Returns at once; the device records until Stop. The outcome is kept in Error.
    void StartRecording();
    void Stop();
    // Writes what was recorded to FileName.
    void Save();
    void Close();

    // 0 while no device is open.
    uint16_t DeviceID() const { return deviceId_; }
    // The last result code: 0 for success.
    int Error() const { return error_; }
    WaveRecorder& recorder() { return recorder_; }

private:
    void checkOpen() const;

    WaveRecorder recorder_;
    uint16_t deviceId_ = 0;
    int error_ = 0;
};
