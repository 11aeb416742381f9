// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_extensions.h"

#include "gif/gif_exception.h"
#include "gif/gif_image.h"

#include <algorithm>
#include <cstring>

namespace {

void WriteSubBlocks(GifOutput& stream, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const size_t n = std::min<size_t>(size, 255);
        stream.WriteByte(static_cast<uint8_t>(n));
        stream.Write(data, n);
        data += n;
        size -= n;
    }
}

// Reads data sub-blocks up to and including the block terminator.
std::vector<std::vector<uint8_t>> ReadSubBlocks(GifReader& reader)
{
    std::vector<std::vector<uint8_t>> blocks;
    for (uint8_t size = reader.ReadByte(); size != 0; size = reader.ReadByte()) {
        std::vector<uint8_t> block(size);
        reader.Read(block.data(), size);
        blocks.push_back(std::move(block));
    }
    return blocks;
}

void SaveLines(GifOutput& stream, const std::vector<std::string>& lines)
{
    // An empty line would read as the terminator: it has no bytes to write.
    for (const std::string& line : lines)
        WriteSubBlocks(stream, reinterpret_cast<const uint8_t*>(line.data()), line.size());
    stream.WriteByte(0);
}

std::vector<std::string> LoadLines(GifReader& reader)
{
    std::vector<std::string> lines;
    for (const auto& block : ReadSubBlocks(reader))
        lines.emplace_back(block.begin(), block.end());
    return lines;
}

template <size_t N>
std::array<char, N> Fixed(const std::string& text)
{
    std::array<char, N> out{};
    std::memcpy(out.data(), text.data(), std::min(N, text.size()));
    return out;
}

} // namespace

TGIFExtension::TGIFExtension(TGIFSubImage* frame)
    : TGIFItem(frame ? frame->Image() : nullptr), frame_(frame)
{
}

void TGIFExtension::SaveToStream(GifOutput& stream)
{
    stream.WriteByte(kIntroducer);
    stream.WriteByte(ExtensionLabel());
    SaveBody(stream);
}

std::unique_ptr<TGIFExtension> TGIFExtension::Load(GifReader& reader, TGIFSubImage* frame)
{
    if (reader.ReadByte() != kIntroducer)
        throw GIFException(gif_messages::kInvalidExtension);
    std::unique_ptr<TGIFExtension> extension;
    switch (reader.ReadByte()) {
    case TGIFGraphicControlExtension::kLabel:
        extension = std::make_unique<TGIFGraphicControlExtension>(frame);
        break;
    case TGIFCommentExtension::kLabel:
        extension = std::make_unique<TGIFCommentExtension>(frame);
        break;
    case TGIFTextExtension::kLabel:
        extension = std::make_unique<TGIFTextExtension>(frame);
        break;
    case TGIFApplicationExtension::kLabel: {
        if (reader.ReadByte() != 11)
            throw GIFException(gif_messages::kInvalidExtension);
        char id[11];
        reader.Read(id, sizeof id);
        const std::string name(id, sizeof id);
        std::unique_ptr<TGIFApplicationExtension> app;
        if (name == "NETSCAPE2.0" || name == "ANIMEXTS1.0")
            app = std::make_unique<TGIFAppExtNSLoop>(frame, name.substr(0, 8), name.substr(8, 3));
        else
            app = std::make_unique<TGIFUnknownAppExtension>(frame, name.substr(0, 8), name.substr(8, 3));
        app->LoadData(reader);
        return app;
    }
    default:
        throw GIFException(gif_messages::kInvalidExtension);
    }
    extension->LoadBody(reader);
    return extension;
}

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* frame)
    : TGIFExtension(frame)
{
    if (frame_)
        frame_->RegisterControlExtension(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension()
{
    if (frame_)
        frame_->UnregisterControlExtension(this);
}

void TGIFGraphicControlExtension::SetTransparent(bool transparent)
{
    flags_ = static_cast<uint8_t>(transparent ? flags_ | 0x01 : flags_ & ~0x01);
    if (transparent && frame_)
        frame_->SetTransparent(true);
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(int index)
{
    const int count = frame_ ? frame_->ActiveColorCount() : 0;
    if (count > 0 && (index < 0 || index >= count)) {
        Warn(gsWarning, gif_messages::kInvalidColorIndex);
        index = 0;
    }
    transparentIndex_ = static_cast<uint8_t>(index);
}

void TGIFGraphicControlExtension::SaveBody(GifOutput& stream) const
{
    const uint8_t body[6] = {4, flags_, static_cast<uint8_t>(delay_ & 0xFF), static_cast<uint8_t>(delay_ >> 8), transparentIndex_, 0};
    stream.Write(body, sizeof body);
}

void TGIFGraphicControlExtension::LoadBody(GifReader& reader)
{
    uint8_t body[6];
    reader.Read(body, sizeof body);
    if (body[0] != 4 || body[5] != 0)
        throw GIFException(gif_messages::kInvalidExtension);
    flags_ = body[1];
    delay_ = static_cast<uint16_t>(body[2] | (body[3] << 8));
    transparentIndex_ = body[4];
    if (Transparent() && frame_)
        frame_->SetTransparent(true);
}

void TGIFCommentExtension::SaveBody(GifOutput& stream) const
{
    SaveLines(stream, Text);
}

void TGIFCommentExtension::LoadBody(GifReader& reader)
{
    Text = LoadLines(reader);
}

void TGIFTextExtension::SaveBody(GifOutput& stream) const
{
    stream.WriteByte(12);
    stream.Write(Grid.data(), Grid.size());
    SaveLines(stream, Text);
}

void TGIFTextExtension::LoadBody(GifReader& reader)
{
    if (reader.ReadByte() != 12)
        throw GIFException(gif_messages::kInvalidExtension);
    reader.Read(Grid.data(), Grid.size());
    Text = LoadLines(reader);
}

TGIFApplicationExtension::TGIFApplicationExtension(TGIFSubImage* frame, const std::string& identifier, const std::string& authentication)
    : TGIFExtension(frame), identifier_(Fixed<8>(identifier)), authentication_(Fixed<3>(authentication))
{
}

void TGIFApplicationExtension::SaveBody(GifOutput& stream) const
{
    stream.WriteByte(11);
    stream.Write(identifier_.data(), identifier_.size());
    stream.Write(authentication_.data(), authentication_.size());
    SaveData(stream);
}

void TGIFApplicationExtension::LoadBody(GifReader& reader)
{
    if (reader.ReadByte() != 11)
        throw GIFException(gif_messages::kInvalidExtension);
    reader.Read(identifier_.data(), identifier_.size());
    reader.Read(authentication_.data(), authentication_.size());
    LoadData(reader);
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* frame, const std::string& identifier, const std::string& authentication)
    : TGIFApplicationExtension(frame, identifier, authentication)
{
}

void TGIFAppExtNSLoop::SaveData(GifOutput& stream) const
{
    const uint8_t loop[4] = {3, 1, static_cast<uint8_t>(loops_ & 0xFF), static_cast<uint8_t>(loops_ >> 8)};
    stream.Write(loop, sizeof loop);
    if (bufferSize_ != 0) {
        const uint8_t buffer[6] = {5, 2, static_cast<uint8_t>(bufferSize_), static_cast<uint8_t>(bufferSize_ >> 8),
                                   static_cast<uint8_t>(bufferSize_ >> 16), static_cast<uint8_t>(bufferSize_ >> 24)};
        stream.Write(buffer, sizeof buffer);
    }
    stream.WriteByte(0);
}

void TGIFAppExtNSLoop::LoadData(GifReader& reader)
{
    for (const auto& block : ReadSubBlocks(reader)) {
        if (block.size() >= 3 && block[0] == 1)
            loops_ = static_cast<uint16_t>(block[1] | (block[2] << 8));
        else if (block.size() >= 5 && block[0] == 2)
            bufferSize_ = static_cast<uint32_t>(block[1] | (block[2] << 8) | (block[3] << 16) | (static_cast<uint32_t>(block[4]) << 24));
    }
}

void TGIFUnknownAppExtension::SaveData(GifOutput& stream) const
{
    for (const auto& block : Blocks)
        WriteSubBlocks(stream, block.data(), block.size());
    stream.WriteByte(0);
}

void TGIFUnknownAppExtension::LoadData(GifReader& reader)
{
    Blocks = ReadSubBlocks(reader);
}
