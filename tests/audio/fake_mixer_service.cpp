// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_mixer_service.h"

#include <algorithm>
#include <cmath>

FakeLine VolumeLine(const std::string& name, int percent, uint32_t maximum)
{
    FakeLine line;
    line.name = name;
    line.volume.present = true;
    line.volume.maximum = maximum;
    line.volume.value = uint32_t(std::lround(double(maximum) * percent / 100.0));
    line.mute.present = true;
    line.mute.maximum = 1;
    return line;
}

FakeMixerService FakeMixerService::Typical(int masterPercent, const std::vector<std::string>& outputs,
                                           const std::vector<std::pair<std::string, int>>& inputs)
{
    FakeMixerService s;
    FakeMixer m;
    m.name = "Fake Mixer";
    FakeDestination playback;
    playback.own = VolumeLine("Volume Control", masterPercent);
    if (!outputs.empty())
        playback.own.deviceName = "out:" + outputs.front();
    for (const auto& name : outputs) {
        playback.sources.push_back(VolumeLine(name, 50));
        playback.sources.back().deviceName = "out:" + name;
    }
    FakeDestination recording;
    recording.own = VolumeLine("Recording Control", 100);
    recording.own.mux.present = !inputs.empty();
    recording.own.mux.items.assign(inputs.size(), 0);
    for (const auto& [name, percent] : inputs) {
        recording.sources.push_back(VolumeLine(name, percent));
        recording.sources.back().deviceName = "in:" + name;
    }
    m.destinations = {playback, recording};
    s.mixers.push_back(m);
    return s;
}

uint32_t FakeMixerService::LineId(uint32_t device, uint32_t destination, int source)
{
    return (device << 20) | (destination << 12) | uint32_t(source + 1);
}

FakeLine& FakeMixerService::line(uint32_t device, uint32_t destination, int source)
{
    FakeDestination& d = mixers.at(device).destinations.at(destination);
    return source < 0 ? d.own : d.sources.at(size_t(source));
}

int FakeMixerService::percent(uint32_t destination, int source, uint32_t device)
{
    const FakeControl& c = line(device, destination, source).volume;
    return int(std::lround(100.0 * c.value / c.maximum));
}

std::vector<std::vector<uint32_t>> FakeMixerService::writesTo(uint32_t lineId, MixerControlKind kind) const
{
    std::vector<std::vector<uint32_t>> out;
    for (const Write& w : writes)
        if (w.controlId == ControlId(lineId, kind))
            out.push_back(w.values);
    return out;
}

void FakeMixerService::report(MixerChange change)
{
    for (auto* h : handlers)
        if (*h)
            (*h)(change);
}

int FakeMixerService::deviceCaps(uint32_t device, MixerCaps& caps)
{
    caps = {};
    if (device >= mixers.size())
        return MixerResult::BadDeviceId;
    caps.productName = mixers[device].name;
    caps.destinations = uint32_t(mixers[device].destinations.size());
    return MixerResult::Ok;
}

namespace {

class FakeDevice : public MixerDevice {
public:
    FakeDevice(FakeMixerService& s, uint32_t device) : s_(s), device_(device) { s_.handlers.push_back(&handler_); }
    ~FakeDevice() override { s_.handlers.erase(std::find(s_.handlers.begin(), s_.handlers.end(), &handler_)); }

    int destinationLine(uint32_t destination, MixerLineInfo& line) override
    {
        if (destination >= mixer().destinations.size())
            return MixerResult::InvalidParam;
        fill(line, destination, -1);
        return MixerResult::Ok;
    }

    int sourceLine(uint32_t destination, uint32_t source, MixerLineInfo& line) override
    {
        if (destination >= mixer().destinations.size() || source >= mixer().destinations[destination].sources.size())
            return MixerResult::InvalidParam;
        fill(line, destination, int(source));
        return MixerResult::Ok;
    }

    int lineControl(uint32_t lineId, MixerControlKind kind, MixerControlInfo& info) override
    {
        FakeControl* c = find(FakeMixerService::ControlId(lineId, kind));
        if (!c || !c->present)
            return MixerResult::InvalidControl;
        info.controlId = FakeMixerService::ControlId(lineId, kind);
        info.kind = kind;
        info.maximum = c->maximum;
        info.items = kind == MixerControlKind::Mux ? uint32_t(c->items.size()) : 0;
        return MixerResult::Ok;
    }

    int readValue(uint32_t controlId, uint32_t& value) override
    {
        FakeControl* c = find(controlId);
        if (!c)
            return MixerResult::InvalidControl;
        value = c->value;
        return MixerResult::Ok;
    }

    int writeValue(uint32_t controlId, uint32_t value) override
    {
        FakeControl* c = find(controlId);
        if (!c)
            return MixerResult::InvalidControl;
        c->value = value;
        s_.writes.push_back({controlId, {value}});
        return MixerResult::Ok;
    }

    int writeItems(uint32_t controlId, const std::vector<uint32_t>& items) override
    {
        FakeControl* c = find(controlId);
        if (!c || items.size() != c->items.size())
            return MixerResult::InvalidParam;
        c->items = items;
        s_.writes.push_back({controlId, items});
        return MixerResult::Ok;
    }

    void setChangeHandler(std::function<void(MixerChange)> handler) override { handler_ = std::move(handler); }

private:
    FakeMixer& mixer() { return s_.mixers[device_]; }

    void fill(MixerLineInfo& line, uint32_t destination, int source)
    {
        const FakeDestination& d = mixer().destinations[destination];
        const FakeLine& l = source < 0 ? d.own : d.sources[size_t(source)];
        line = {};
        line.destination = destination;
        line.source = source < 0 ? 0 : uint32_t(source);
        line.lineId = FakeMixerService::LineId(device_, destination, source);
        line.connections = source < 0 ? uint32_t(d.sources.size()) : 0;
        line.name = l.name;
        line.shortName = l.name.substr(0, 15);
        line.deviceName = l.deviceName;
        line.monitorOf = l.monitorOf;
    }

    FakeControl* find(uint32_t controlId)
    {
        const uint32_t lineId = controlId / 4;
        const uint32_t kind = controlId % 4;
        if ((lineId >> 20) != device_ || kind > 2)
            return nullptr;
        const uint32_t destination = (lineId >> 12) & 0xFF;
        const int source = int(lineId & 0xFFF) - 1;
        if (destination >= mixer().destinations.size())
            return nullptr;
        FakeDestination& d = mixer().destinations[destination];
        if (source >= int(d.sources.size()))
            return nullptr;
        FakeLine& l = source < 0 ? d.own : d.sources[size_t(source)];
        FakeControl* c = kind == 0 ? &l.volume : kind == 1 ? &l.mute : &l.mux;
        return c->present ? c : nullptr;
    }

    FakeMixerService& s_;
    uint32_t device_;
    std::function<void(MixerChange)> handler_;
};

} // namespace

int FakeMixerService::open(uint32_t device, std::unique_ptr<MixerDevice>& opened)
{
    opened.reset();
    if (device >= mixers.size())
        return MixerResult::BadDeviceId;
    ++opens;
    opened = std::make_unique<FakeDevice>(*this, device);
    return MixerResult::Ok;
}
