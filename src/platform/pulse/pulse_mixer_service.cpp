// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pulse/pulse_mixer_service.h"

#include "platform/pulse/pulse_connection.h"
#include "platform/pulse/pulse_server_state.h"

#include <pulse/volume.h>

#include <algorithm>

namespace {

constexpr auto kRetryAfterFailure = std::chrono::seconds(2);

// Line slots: the two destinations' own lines first, then the outputs, then the inputs.
constexpr uint32_t kPlaybackSlot = 0;
constexpr uint32_t kRecordingSlot = 1;
constexpr uint32_t kControlsPerLine = 4;

std::string Truncated(const std::string& s, size_t max)
{
    return s.size() <= max ? s : s.substr(0, max);
}

struct VolumeReading {
    PulseConnection* c;
    bool found = false;
    pa_cvolume volume{};
    int mute = 0;
};

template <typename Info>
void TakeVolume(const Info* info, int eol, void* u)
{
    auto* r = static_cast<VolumeReading*>(u);
    if (!eol && info) {
        r->found = true;
        r->volume = info->volume;
        r->mute = info->mute;
    }
    r->c->wake();
}

void OnSuccess(pa_context*, int success, void* u)
{
    auto* r = static_cast<std::pair<PulseConnection*, int>*>(u);
    r->second = success;
    r->first->wake();
}

class PulseMixerDevice : public MixerDevice {
public:
    PulseMixerDevice(std::shared_ptr<PulseConnection> c, const ServerState& s);
    ~PulseMixerDevice() override;

    int destinationLine(uint32_t destination, MixerLineInfo& line) override;
    int sourceLine(uint32_t destination, uint32_t source, MixerLineInfo& line) override;
    int lineControl(uint32_t lineId, MixerControlKind kind, MixerControlInfo& control) override;
    int readValue(uint32_t controlId, uint32_t& value) override;
    int writeValue(uint32_t controlId, uint32_t value) override;
    int writeItems(uint32_t controlId, const std::vector<uint32_t>& items) override;
    void setChangeHandler(std::function<void(MixerChange)> handler) override;

private:
    struct Line {
        MixerLineInfo info;
        bool isSink = true;
        bool present = false; // a server object stands behind the line
        uint32_t paIndex = PA_INVALID_INDEX;
        std::string paName;
    };

    void addLine(uint32_t destination, uint32_t source, const ServerObject* object, bool isSink,
                 const std::string& name, uint32_t connections);
    const Line* lineOfControl(uint32_t controlId, MixerControlKind& kind) const;
    // The line of a volume or mute control, or InvalidControl.
    int levelLineOf(uint32_t controlId, const Line*& line, MixerControlKind& kind) const;
    // Waits for a server call that reports success through done.
    int awaitSuccess(pa_operation* op, const std::pair<PulseConnection*, int>& done);
    int readVolume(const Line& line, VolumeReading& r);
    void onServerEvent(pa_subscription_event_type_t type, uint32_t index);

    std::shared_ptr<PulseConnection> c_;
    std::vector<Line> lines_;
    uint32_t sinkCount_ = 0;
    uint32_t sourceCount_ = 0;
    std::function<void(MixerChange)> handler_;
    int handlerId_ = 0;
};

PulseMixerDevice::PulseMixerDevice(std::shared_ptr<PulseConnection> c, const ServerState& s)
    : c_(std::move(c)), sinkCount_(uint32_t(s.sinks.size())), sourceCount_(uint32_t(s.sources.size()))
{
    auto named = [](const std::vector<ServerObject>& list, const std::string& name) -> const ServerObject* {
        auto it = std::find_if(list.begin(), list.end(), [&](const ServerObject& o) { return o.name == name; });
        return it == list.end() ? nullptr : &*it;
    };
    addLine(0, 0, named(s.sinks, s.defaultSink), true, "Playback", sinkCount_);
    addLine(1, 0, named(s.sources, s.defaultSource), false, "Recording", sourceCount_);
    for (uint32_t i = 0; i < sinkCount_; ++i)
        addLine(0, i, &s.sinks[i], true, s.sinks[i].description, 0);
    for (uint32_t i = 0; i < sourceCount_; ++i)
        addLine(1, i, &s.sources[i], false, s.sources[i].description, 0);
}

PulseMixerDevice::~PulseMixerDevice()
{
    setChangeHandler(nullptr);
}

void PulseMixerDevice::addLine(uint32_t destination, uint32_t source, const ServerObject* object, bool isSink,
                               const std::string& name, uint32_t connections)
{
    Line line;
    line.info.destination = destination;
    line.info.source = source;
    line.info.lineId = uint32_t(lines_.size());
    line.info.connections = connections;
    line.info.name = Truncated(name, 63);
    line.info.shortName = Truncated(name, 15);
    line.isSink = isSink;
    if (object) {
        line.present = true;
        line.paIndex = object->index;
        line.paName = object->name;
        line.info.deviceName = object->name;
        line.info.monitorOf = object->monitorOf;
        line.info.channels = object->channels;
        line.info.controls = 2;
    }
    lines_.push_back(std::move(line));
}

int PulseMixerDevice::destinationLine(uint32_t destination, MixerLineInfo& line)
{
    if (destination > kRecordingSlot)
        return MixerResult::InvalidParam;
    line = lines_[destination].info;
    return MixerResult::Ok;
}

int PulseMixerDevice::sourceLine(uint32_t destination, uint32_t source, MixerLineInfo& line)
{
    if (destination > kRecordingSlot)
        return MixerResult::InvalidParam;
    const uint32_t count = destination == 0 ? sinkCount_ : sourceCount_;
    if (source >= count)
        return MixerResult::InvalidParam;
    line = lines_[2 + (destination == 0 ? 0 : sinkCount_) + source].info;
    return MixerResult::Ok;
}

int PulseMixerDevice::lineControl(uint32_t lineId, MixerControlKind kind, MixerControlInfo& control)
{
    if (lineId >= lines_.size())
        return MixerResult::InvalidLine;
    const Line& line = lines_[lineId];
    control = {};
    control.controlId = lineId * kControlsPerLine + uint32_t(kind);
    control.kind = kind;
    switch (kind) {
    case MixerControlKind::Volume:
        control.maximum = PA_VOLUME_NORM;
        return line.present ? MixerResult::Ok : MixerResult::InvalidControl;
    case MixerControlKind::Mute:
        control.maximum = 1;
        return line.present ? MixerResult::Ok : MixerResult::InvalidControl;
    case MixerControlKind::Mux:
        // The input is chosen when recording starts, by name, not by the server's default.
        return MixerResult::InvalidControl;
    }
    return MixerResult::InvalidControl;
}

const PulseMixerDevice::Line* PulseMixerDevice::lineOfControl(uint32_t controlId, MixerControlKind& kind) const
{
    const uint32_t slot = controlId / kControlsPerLine;
    const uint32_t k = controlId % kControlsPerLine;
    if (slot >= lines_.size() || k > uint32_t(MixerControlKind::Mux))
        return nullptr;
    kind = MixerControlKind(k);
    const Line& line = lines_[slot];
    if (kind == MixerControlKind::Mux || !line.present)
        return nullptr;
    return &line;
}

int PulseMixerDevice::levelLineOf(uint32_t controlId, const Line*& line, MixerControlKind& kind) const
{
    line = lineOfControl(controlId, kind);
    return line ? MixerResult::Ok : MixerResult::InvalidControl;
}

int PulseMixerDevice::awaitSuccess(pa_operation* op, const std::pair<PulseConnection*, int>& done)
{
    if (!c_->await(op, kPulseCallTimeoutMs))
        return c_->alive() ? MixerResult::Error : MixerResult::NoDriver;
    return done.second ? MixerResult::Ok : MixerResult::Error;
}

int PulseMixerDevice::readVolume(const Line& line, VolumeReading& r)
{
    r.c = c_.get();
    pa_operation* op = line.isSink
        ? pa_context_get_sink_info_by_index(c_->context(), line.paIndex,
              [](pa_context*, const pa_sink_info* i, int eol, void* u) { TakeVolume(i, eol, u); }, &r)
        : pa_context_get_source_info_by_index(c_->context(), line.paIndex,
              [](pa_context*, const pa_source_info* i, int eol, void* u) { TakeVolume(i, eol, u); }, &r);
    if (!c_->await(op, kPulseCallTimeoutMs))
        return c_->alive() ? MixerResult::Error : MixerResult::NoDriver;
    return r.found ? MixerResult::Ok : MixerResult::Error;
}

int PulseMixerDevice::readValue(uint32_t controlId, uint32_t& value)
{
    MixerControlKind kind;
    const Line* line = nullptr;
    if (const int result = levelLineOf(controlId, line, kind); result != MixerResult::Ok)
        return result;
    PulseConnection::Lock lock(*c_);
    VolumeReading r;
    const int result = readVolume(*line, r);
    if (result != MixerResult::Ok)
        return result;
    value = kind == MixerControlKind::Mute ? uint32_t(r.mute != 0)
                                           : std::min<uint32_t>(pa_cvolume_max(&r.volume), PA_VOLUME_NORM);
    return MixerResult::Ok;
}

int PulseMixerDevice::writeValue(uint32_t controlId, uint32_t value)
{
    MixerControlKind kind;
    const Line* line = nullptr;
    if (const int result = levelLineOf(controlId, line, kind); result != MixerResult::Ok)
        return result;
    PulseConnection::Lock lock(*c_);
    std::pair<PulseConnection*, int> done{c_.get(), 0};
    pa_operation* op = nullptr;
    if (kind == MixerControlKind::Mute) {
        op = line->isSink ? pa_context_set_sink_mute_by_index(c_->context(), line->paIndex, value != 0, OnSuccess, &done)
                          : pa_context_set_source_mute_by_index(c_->context(), line->paIndex, value != 0, OnSuccess, &done);
    } else {
        pa_cvolume volume;
        // The same value for every channel of the line.
        pa_cvolume_set(&volume, std::max<uint32_t>(line->info.channels, 1), std::min<uint32_t>(value, PA_VOLUME_NORM));
        op = line->isSink ? pa_context_set_sink_volume_by_index(c_->context(), line->paIndex, &volume, OnSuccess, &done)
                          : pa_context_set_source_volume_by_index(c_->context(), line->paIndex, &volume, OnSuccess, &done);
    }
    return awaitSuccess(op, done);
}

int PulseMixerDevice::writeItems(uint32_t, const std::vector<uint32_t>&)
{
    // No multiplexer: the server's default input is never changed from here.
    return MixerResult::InvalidControl;
}

void PulseMixerDevice::setChangeHandler(std::function<void(MixerChange)> handler)
{
    PulseConnection::Lock lock(*c_);
    if (handlerId_) {
        c_->removeEventHandler(handlerId_);
        handlerId_ = 0;
    }
    handler_ = std::move(handler);
    if (handler_)
        handlerId_ = c_->addEventHandler([this](pa_subscription_event_type_t type, uint32_t index) {
            onServerEvent(type, index);
        });
}

// Runs on the event thread with the lock held.
void PulseMixerDevice::onServerEvent(pa_subscription_event_type_t type, uint32_t index)
{
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto what = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    const bool sink = facility == PA_SUBSCRIPTION_EVENT_SINK;
    if (!sink && facility != PA_SUBSCRIPTION_EVENT_SOURCE)
        return;
    if (what != PA_SUBSCRIPTION_EVENT_CHANGE) {
        // An output or input came or went: the destination's list of lines is out of date.
        handler_({MixerChange::Line, sink ? kPlaybackSlot : kRecordingSlot});
        return;
    }
    for (const Line& line : lines_)
        if (line.present && line.isSink == sink && line.paIndex == index)
            handler_({MixerChange::Control, line.info.lineId * kControlsPerLine + uint32_t(MixerControlKind::Volume)});
}

} // namespace

PulseMixerService::PulseMixerService() = default;
PulseMixerService::~PulseMixerService() = default;

std::shared_ptr<PulseConnection> PulseMixerService::connection()
{
    if (connection_) {
        PulseConnection::Lock lock(*connection_);
        if (connection_->alive())
            return connection_;
    }
    connection_.reset();
    if (failed_ && std::chrono::steady_clock::now() - failedAt_ < kRetryAfterFailure)
        return nullptr;
    connection_ = PulseConnection::Connect("Deckrec mixer", kPulseConnectTimeoutMs, nullptr);
    failed_ = !connection_;
    if (failed_)
        failedAt_ = std::chrono::steady_clock::now();
    return connection_;
}

uint32_t PulseMixerService::deviceCount()
{
    return connection() ? 1 : 0;
}

int PulseMixerService::deviceCaps(uint32_t device, MixerCaps& caps)
{
    caps = {};
    auto c = device == 0 ? connection() : nullptr;
    if (!c)
        return MixerResult::BadDeviceId;
    PulseConnection::Lock lock(*c);
    struct Ctx {
        PulseConnection* c;
        std::string name;
    } ctx{c.get(), {}};
    pa_operation* op = pa_context_get_server_info(c->context(), [](pa_context*, const pa_server_info* i, void* u) {
        auto* x = static_cast<Ctx*>(u);
        if (i && i->server_name)
            x->name = i->server_name;
        x->c->wake();
    }, &ctx);
    if (!c->await(op, kPulseCallTimeoutMs))
        return MixerResult::NoDriver;
    caps.productName = Truncated(ctx.name, 31);
    caps.destinations = 2;
    return MixerResult::Ok;
}

int PulseMixerService::open(uint32_t device, std::unique_ptr<MixerDevice>& opened)
{
    opened.reset();
    auto c = device == 0 ? connection() : nullptr;
    if (!c)
        return MixerResult::BadDeviceId;
    ServerState s;
    {
        PulseConnection::Lock lock(*c);
        if (!ReadServerState(*c, s))
            return MixerResult::NoDriver;
    }
    opened = std::make_unique<PulseMixerDevice>(std::move(c), s);
    return MixerResult::Ok;
}
