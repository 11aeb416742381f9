// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/audio_mixer_line.h"

#include "audio/audio_mixer.h"

int MulDiv(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return -1;
    const int64_t product = a * b;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = ((product < 0 ? -product : product) + (c < 0 ? -c : c) / 2) / (c < 0 ? -c : c);
    return int(negative ? -magnitude : magnitude);
}

TAudioMixerLine::TAudioMixerLine(TAudioMixer* owner, int sourceIndex) : owner_(owner)
{
    Refresh(sourceIndex);
}

MixerDevice* TAudioMixerLine::device() const
{
    return owner_->device();
}

void TAudioMixerLine::Refresh(int sourceIndex)
{
    sourceIndex_ = sourceIndex;
    info_ = {};
    info_.destination = owner_->DestinationID();
    found_ = 0;
    MixerDevice* d = device();
    if (!d) {
        lastError_ = MixerResult::InvalidHandle;
        return;
    }
    lastError_ = sourceIndex >= 0 ? d->sourceLine(info_.destination, uint32_t(sourceIndex), info_)
                                  : d->destinationLine(info_.destination, info_);
    if (lastError_ != MixerResult::Ok)
        return;
    for (int kind = mctVolume; kind <= mctMux; ++kind) {
        controls_[kind] = {};
        if (d->lineControl(info_.lineId, MixerControlKind(kind), controls_[kind]) == MixerResult::Ok)
            found_ |= uint8_t(1u << kind);
    }
}

QString TAudioMixerLine::Name() const
{
    return QString::fromStdString(info_.name).left(63);
}

QString TAudioMixerLine::DeviceName() const
{
    return info_.deviceName.empty() ? Name() : QString::fromStdString(info_.deviceName);
}

QString TAudioMixerLine::MonitorOf() const
{
    return QString::fromStdString(info_.monitorOf);
}

int TAudioMixerLine::GetVolume()
{
    lastError_ = MixerResult::InvalidControl;
    if (!HasControl(mctVolume))
        return -1;
    uint32_t value = 0;
    MixerDevice* d = device();
    lastError_ = d ? d->readValue(controls_[mctVolume].controlId, value) : MixerResult::InvalidHandle;
    if (lastError_ != MixerResult::Ok)
        return -1;
    return MulDiv(value, 100, controls_[mctVolume].maximum);
}

void TAudioMixerLine::SetVolume(int percent)
{
    lastError_ = MixerResult::InvalidControl;
    if (!HasControl(mctVolume))
        return;
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    const int value = MulDiv(controls_[mctVolume].maximum, percent, 100);
    MixerDevice* d = device();
    lastError_ = d ? d->writeValue(controls_[mctVolume].controlId, uint32_t(value)) : MixerResult::InvalidHandle;
}

void TAudioMixerLine::SelectSource(int sourceIndex)
{
    if (!HasControl(mctMux)) {
        lastError_ = MixerResult::InvalidControl;
        return;
    }
    const int items = int(controls_[mctMux].items);
    if (sourceIndex < 0 || sourceIndex >= items) {
        lastError_ = MixerResult::InvalidParam;
        return;
    }
    // The multiplexer's items run in the reverse order of the source lines.
    std::vector<uint32_t> values(size_t(items), 0);
    values[size_t(items - 1 - sourceIndex)] = 1;
    MixerDevice* d = device();
    lastError_ = d ? d->writeItems(controls_[mctMux].controlId, values) : MixerResult::InvalidHandle;
}

bool TAudioMixerLine::FindControl(uint32_t controlId, TMixerControlType& kind) const
{
    for (int k = mctVolume; k <= mctMux; ++k) {
        if (HasControl(TMixerControlType(k)) && controls_[k].controlId == controlId) {
            kind = TMixerControlType(k);
            return true;
        }
    }
    return false;
}
