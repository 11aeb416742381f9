// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's sound mixers as devices, destinations, lines and controls. The audio mixer
// wrapper (TAudioMixer) is built on this and nothing else, so that its rules are tested
// against a fake. Results are the mixer result codes below: 0 for success.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace MixerResult {
constexpr int Ok = 0;
constexpr int Error = 1;          // the server refused the call
constexpr int BadDeviceId = 2;    // no device with that index
constexpr int InvalidHandle = 5;  // no device is open
constexpr int NoDriver = 6;       // the server has gone or did not answer in time
constexpr int NotSupported = 8;
constexpr int InvalidParam = 11;  // an index or a value out of range
constexpr int InvalidLine = 1024;
constexpr int InvalidControl = 1025;
} // namespace MixerResult

// The three kinds of control that a line is asked for.
enum class MixerControlKind { Volume = 0, Mute = 1, Mux = 2 };

struct MixerCaps {
    std::string productName; // at most 31 characters
    uint32_t destinations = 0;
};

struct MixerLineInfo {
    uint32_t destination = 0;
    uint32_t source = 0;        // meaningful for source lines only
    uint32_t lineId = 0;
    uint32_t channels = 0;
    uint32_t connections = 0;   // a destination's own line: the number of its source lines
    uint32_t controls = 0;
    std::string shortName;      // at most 15 characters
    std::string name;           // at most 63 characters
    // The system's own name of the device behind the line; it stays with the device while
    // others come and go, where indexes and descriptions do not. Empty when there is none.
    std::string deviceName;
    // An input that records what an output plays: that output's deviceName; empty otherwise.
    std::string monitorOf;
};

struct MixerControlInfo {
    uint32_t controlId = 0;
    MixerControlKind kind = MixerControlKind::Volume;
    uint32_t minimum = 0;
    uint32_t maximum = 0;
    uint32_t items = 0;         // a multiplexer's number of choices; 0 otherwise
};

// What changed, as the mixer reports it to whoever has the device open. A Line change of a
// destination's own line means that its source lines came or went.
struct MixerChange {
    enum Kind { Line, Control } kind;
    uint32_t id; // the line ID or the control ID
};

// One open mixer device.
class MixerDevice {
public:
    virtual ~MixerDevice() = default;
    virtual int destinationLine(uint32_t destination, MixerLineInfo& line) = 0;
    virtual int sourceLine(uint32_t destination, uint32_t source, MixerLineInfo& line) = 0;
    virtual int lineControl(uint32_t lineId, MixerControlKind kind, MixerControlInfo& control) = 0;
    // One value for all channels of the control's line.
    virtual int readValue(uint32_t controlId, uint32_t& value) = 0;
    virtual int writeValue(uint32_t controlId, uint32_t value) = 0;
    // One value per item of a multiplexer; the item set to 1 is the chosen one.
    virtual int writeItems(uint32_t controlId, const std::vector<uint32_t>& items) = 0;
    // Called on any thread when a line or a control changes outside; null stops the calls.
    virtual void setChangeHandler(std::function<void(MixerChange)> handler) = 0;
};

class MixerService {
public:
    virtual ~MixerService() = default;
    virtual uint32_t deviceCount() = 0;
    virtual int deviceCaps(uint32_t device, MixerCaps& caps) = 0;
    // device is null unless the result is Ok.
    virtual int open(uint32_t device, std::unique_ptr<MixerDevice>& opened) = 0;
};

