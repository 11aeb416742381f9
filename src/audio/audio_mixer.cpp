// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/audio_mixer.h"

#include "core/deckrec_error.h"

#include <QMetaObject>

TAudioMixer::TAudioMixer(QObject* owner, MixerService& service) : QObject(owner), service_(service)
{
    master_ = std::make_unique<TAudioMixerLine>(this, -1);
    Reopen(false);
}

TAudioMixer::~TAudioMixer()
{
    lines_.clear();
    master_.reset();
    device_.reset();
}

uint32_t TAudioMixer::MixerCount() const
{
    return service_.deviceCount();
}

int TAudioMixer::GetMixerNames(QStringList& list) const
{
    const uint32_t count = MixerCount();
    for (uint32_t i = 0; i < count; ++i) {
        MixerCaps caps;
        service_.deviceCaps(i, caps);
        list.append(QString::fromStdString(caps.productName).left(31));
    }
    return int(count);
}

int TAudioMixer::GetDestinationNames(QStringList& list) const
{
    const int count = DestinationCount();
    for (int i = 0; i < count; ++i) {
        MixerLineInfo line;
        if (device_)
            device_->destinationLine(uint32_t(i), line);
        list.append(QString::fromStdString(line.name).left(63));
    }
    return count;
}

void TAudioMixer::setMixerID(uint32_t id)
{
    if (id == mixerId_ || id >= MixerCount())
        return;
    mixerId_ = id;
    Reopen(false);
}

QString TAudioMixer::MixerName() const
{
    return QString::fromStdString(caps_.productName).left(31);
}

void TAudioMixer::setMixerName(const QString& name)
{
    if (name == MixerName())
        return;
    QStringList names;
    GetMixerNames(names);
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) {
            setMixerID(uint32_t(i));
            return;
        }
    }
}

void TAudioMixer::setDestinationID(uint32_t id)
{
    if (id == destinationId_)
        return;
    destinationId_ = id;
    Reopen(true);
}

QString TAudioMixer::DestinationName() const
{
    return master_->Name();
}

void TAudioMixer::setDestinationName(const QString& name)
{
    if (name == DestinationName())
        return;
    QStringList names;
    GetDestinationNames(names);
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) {
            setDestinationID(uint32_t(i));
            return;
        }
    }
}

TAudioMixerLine* TAudioMixer::Lines(int index) const
{
    if (index < 0 || size_t(index) >= lines_.size())
        throw DeckrecError("List index out of bounds (" + std::to_string(index) + ")");
    return lines_[size_t(index)].get();
}

void TAudioMixer::Reopen(bool keepDevice)
{
    while (!lines_.empty())
        lines_.pop_back();
    if (!keepDevice) {
        device_.reset();
        caps_ = {};
        service_.deviceCaps(mixerId_, caps_);
        openResult_ = service_.open(mixerId_, device_);
        if (device_) {
            // The device may report from any thread; the events are raised on this object's.
            // A report still queued when the mixer is freed is dropped with it.
            device_->setChangeHandler([this](MixerChange change) {
                QMetaObject::invokeMethod(this, [this, change] { changed(change); }, Qt::QueuedConnection);
            });
        }
    }
    if (destinationId_ >= uint32_t(DestinationCount()))
        destinationId_ = 0;
    master_->Refresh(-1);
    const int count = LineCount();
    for (int i = 0; i < count; ++i)
        lines_.push_back(std::make_unique<TAudioMixerLine>(this, i));
}

void TAudioMixer::changed(MixerChange change)
{
    if (change.kind == MixerChange::Line) {
        TAudioMixerLine* line = nullptr;
        if (master_->LineInfo().lineId == change.id) {
            line = master_.get();
        } else {
            for (const auto& l : lines_) {
                if (l->LineInfo().lineId == change.id) {
                    line = l.get();
                    break;
                }
            }
        }
        if (line)
            emit OnLineChange(this, line);
        return;
    }
    TMixerControlType kind;
    if (master_->FindControl(change.id, kind)) {
        emit OnControlChange(this, master_.get(), kind);
        return;
    }
    for (const auto& l : lines_) {
        if (l->FindControl(change.id, kind)) {
            emit OnControlChange(this, l.get(), kind);
            return;
        }
    }
}
