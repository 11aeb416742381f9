// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small object model over one mixer device: one of its destinations, the destination's
// own line (Master) and its source lines (Lines), with volumes in percent and the recording
// source choice. Nothing here throws except Lines with a bad index: platform failures are
// kept as result codes in the lines (and the open's in OpenResult), and reads return -1.

#include "audio/audio_mixer_line.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <vector>

class TAudioMixer : public QObject {
    Q_OBJECT
    Q_PROPERTY(uint MixerID READ MixerID WRITE setMixerID)
    Q_PROPERTY(QString MixerName READ MixerName WRITE setMixerName)
    Q_PROPERTY(uint DestinationID READ DestinationID WRITE setDestinationID)
    Q_PROPERTY(QString DestinationName READ DestinationName WRITE setDestinationName)
public:
    // Opens mixer device 0 and loads destination 0; owner frees the mixer when it was not freed
    // before.
    TAudioMixer(QObject* owner, MixerService& service);
    ~TAudioMixer() override;

    uint32_t MixerCount() const;
    // Append the names and return how many were appended.
    int GetMixerNames(QStringList& list) const;
    int GetDestinationNames(QStringList& list) const;

    uint32_t MixerID() const { return mixerId_; }
    void setMixerID(uint32_t id);
    QString MixerName() const;
    void setMixerName(const QString& name);
    uint32_t DestinationID() const { return destinationId_; }
    void setDestinationID(uint32_t id);
    QString DestinationName() const;
    void setDestinationName(const QString& name);

    int DestinationCount() const { return int(uint16_t(caps_.destinations)); }
    int LineCount() const { return int(uint16_t(master_->LineInfo().connections)); }
    // Throws DeckrecError for an index outside 0 .. LineCount - 1.
    TAudioMixerLine* Lines(int index) const;
    TAudioMixerLine* Master() const { return master_.get(); }
    int OpenResult() const { return openResult_; }

    // The open device, or null; used by the lines.
    MixerDevice* device() const { return device_.get(); }

signals:
    void OnLineChange(TAudioMixer* Sender, TAudioMixerLine* MixerLine);
    void OnControlChange(TAudioMixer* Sender, TAudioMixerLine* MixerLine, TMixerControlType ControlType);

private:
    void Reopen(bool keepDevice);
    // Runs on this object's thread for every change the device reports.
    void changed(MixerChange change);

    MixerService& service_;
    std::unique_ptr<MixerDevice> device_;
    uint32_t mixerId_ = 0;
    MixerCaps caps_;
    uint32_t destinationId_ = 0;
    std::vector<std::unique_ptr<TAudioMixerLine>> lines_;
    std::unique_ptr<TAudioMixerLine> master_;
    int openResult_ = MixerResult::InvalidHandle;
};
