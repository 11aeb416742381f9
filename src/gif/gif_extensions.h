// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Extension blocks written ahead of a frame: graphic control (delay, transparency), the
// loop extension, comments, plain text and other application extensions.

#include "gif/gif_item.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TGIFSubImage;

class TGIFExtension : public TGIFItem {
public:
    static constexpr uint8_t kIntroducer = 0x21;

    explicit TGIFExtension(TGIFSubImage* frame);
    TGIFSubImage* Frame() const { return frame_; }
    virtual uint8_t ExtensionLabel() const = 0;
    // Every extension needs the later format version.
    TGIFVersion Version() const override { return gv89a; }
    // 0x21, the label, then the body.
    void SaveToStream(GifOutput& stream) override;

    // Reads one extension (from its introducer on) and creates it for frame.
    static std::unique_ptr<TGIFExtension> Load(GifReader& reader, TGIFSubImage* frame);

protected:
    // Everything after the label, the block terminator included.
    virtual void SaveBody(GifOutput& stream) const = 0;
    virtual void LoadBody(GifReader& reader) = 0;

    TGIFSubImage* frame_;
};

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    static constexpr uint8_t kLabel = 0xF9;

    // Created with its frame; the first one created is the one the frame's cropping uses.
    explicit TGIFGraphicControlExtension(TGIFSubImage* frame);
    ~TGIFGraphicControlExtension() override;
    uint8_t ExtensionLabel() const override { return kLabel; }

    uint8_t Flags() const { return flags_; }
    uint16_t Delay() const { return delay_; }
    void SetDelay(uint16_t hundredths) { delay_ = hundredths; }
    bool Transparent() const { return (flags_ & 0x01) != 0; }
    void SetTransparent(bool transparent);
    uint8_t TransparentColorIndex() const { return transparentIndex_; }
    // An index not below the frame's active colour count warns "Invalid color index" and
    // stores 0 instead.
    void SetTransparentColorIndex(int index);
    int Disposal() const { return (flags_ >> 2) & 0x07; }
    void SetDisposal(int method) { flags_ = static_cast<uint8_t>((flags_ & ~0x1C) | ((method & 0x07) << 2)); }
    bool UserInput() const { return (flags_ & 0x02) != 0; }
    void SetUserInput(bool on) { flags_ = static_cast<uint8_t>(on ? flags_ | 0x02 : flags_ & ~0x02); }

protected:
    void SaveBody(GifOutput& stream) const override;
    void LoadBody(GifReader& reader) override;

private:
    uint8_t flags_ = 0;
    uint16_t delay_ = 0;
    uint8_t transparentIndex_ = 0;
};

// Lines of text, each written as data sub-blocks of at most 255 bytes.
class TGIFCommentExtension : public TGIFExtension {
public:
    static constexpr uint8_t kLabel = 0xFE;
    using TGIFExtension::TGIFExtension;
    uint8_t ExtensionLabel() const override { return kLabel; }
    std::vector<std::string> Text;

protected:
    void SaveBody(GifOutput& stream) const override;
    void LoadBody(GifReader& reader) override;
};

class TGIFTextExtension : public TGIFExtension {
public:
    static constexpr uint8_t kLabel = 0x01;
    using TGIFExtension::TGIFExtension;
    uint8_t ExtensionLabel() const override { return kLabel; }
    // Text grid position and size, cell size, foreground and background index.
    std::array<uint8_t, 12> Grid{};
    std::vector<std::string> Text;

protected:
    void SaveBody(GifOutput& stream) const override;
    void LoadBody(GifReader& reader) override;
};

class TGIFApplicationExtension : public TGIFExtension {
public:
    static constexpr uint8_t kLabel = 0xFF;
    TGIFApplicationExtension(TGIFSubImage* frame, const std::string& identifier, const std::string& authentication);
    uint8_t ExtensionLabel() const override { return kLabel; }
    const std::array<char, 8>& Identifier() const { return identifier_; }
    const std::array<char, 3>& Authentication() const { return authentication_; }

protected:
    // Reading picks the class by the identifier, then lets it read its data.
    friend class TGIFExtension;
    // 0x0B and the 11 identifying bytes, then the application's data and the terminator.
    void SaveBody(GifOutput& stream) const override;
    void LoadBody(GifReader& reader) override;
    virtual void SaveData(GifOutput& stream) const = 0;
    virtual void LoadData(GifReader& reader) = 0;

private:
    std::array<char, 8> identifier_{};
    std::array<char, 3> authentication_{};
};

// The loop extension: "NETSCAPE2.0" with a loop count (0 = forever) and a buffer size
// written only when it is not 0.
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    // Read files may name it "ANIMEXTS1.0" as well; the name read is kept.
    explicit TGIFAppExtNSLoop(TGIFSubImage* frame, const std::string& identifier = "NETSCAPE",
                              const std::string& authentication = "2.0");
    uint16_t Loops() const { return loops_; }
    void SetLoops(uint16_t loops) { loops_ = loops; }
    uint32_t BufferSize() const { return bufferSize_; }
    void SetBufferSize(uint32_t size) { bufferSize_ = size; }

protected:
    void SaveData(GifOutput& stream) const override;
    void LoadData(GifReader& reader) override;

private:
    uint16_t loops_ = 0;
    uint32_t bufferSize_ = 0;
};

// Any other application: its data sub-blocks are kept as they are.
class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    using TGIFApplicationExtension::TGIFApplicationExtension;
    std::vector<std::vector<uint8_t>> Blocks;

protected:
    void SaveData(GifOutput& stream) const override;
    void LoadData(GifReader& reader) override;
};

using TGIFExtensionList = TGIFList<TGIFExtension>;
