// SPDX-License-Identifier: GPL-3.0-or-later
// One frame of a GIF image: geometry, pixels, import from bitmaps, cropping, packing and
// writing.
#include "gif/gif_exception.h"
#include "gif/gif_image.h"
#include "gif/lzw_decoder.h"
#include "gif/lzw_encoder.h"

#include <algorithm>
#include <cstring>

namespace {

void CheckDimension(long long value)
{
    if (value < 0 || value > 0xFFFF)
        throw GIFException(gif_messages::kInvalidImageDimensions);
}

TGIFColor ColorOf(uint32_t rgb)
{
    return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)};
}

} // namespace

TGIFSubImage::TGIFSubImage(TGIFImage* image)
    : TGIFItem(image), ColorMap(this)
{
}

TGIFSubImage::~TGIFSubImage()
{
    // The extensions unregister from this frame while it still exists.
    Extensions.Clear();
}

void TGIFSubImage::SetLeft(int left)
{
    CheckDimension(left);
    CheckDimension(static_cast<long long>(left) + width_);
    left_ = left;
    if (image_)
        image_->GrowScreen(*this);
}

void TGIFSubImage::SetTop(int top)
{
    CheckDimension(top);
    CheckDimension(static_cast<long long>(top) + height_);
    top_ = top;
    if (image_)
        image_->GrowScreen(*this);
}

void TGIFSubImage::SetWidth(int width)
{
    CheckDimension(width);
    CheckDimension(static_cast<long long>(left_) + width);
    if (width != width_) {
        width_ = width;
        Resize();
    }
    if (image_)
        image_->GrowScreen(*this);
}

void TGIFSubImage::SetHeight(int height)
{
    CheckDimension(height);
    CheckDimension(static_cast<long long>(top_) + height);
    if (height != height_) {
        height_ = height;
        Resize();
    }
    if (image_)
        image_->GrowScreen(*this);
}

void TGIFSubImage::Resize()
{
    DropCode();
    data_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
}

uint8_t TGIFSubImage::Pixel(int x, int y) const
{
    if (Empty())
        throw GIFException(gif_messages::kImageEmpty);
    if (x < 0 || x >= width_ || y < 0 || y >= height_)
        throw GIFException(gif_messages::kInvalidPixelCoordinates);
    return Data()[static_cast<size_t>(y) * width_ + x];
}

uint8_t* TGIFSubImage::ScanLine(int y)
{
    if (Empty())
        throw GIFException(gif_messages::kImageEmpty);
    if (y < 0 || y >= height_)
        throw GIFException(gif_messages::kInvalidPixelCoordinates);
    return Data() + static_cast<size_t>(y) * width_;
}

uint8_t* TGIFSubImage::Data()
{
    Unpack();
    return data_.data();
}

const uint8_t* TGIFSubImage::Data() const
{
    if (!Packed())
        return data_.data();
    std::lock_guard guard(decodedLock_);
    if (decoded_.empty())
        ReadPixels(decoded_);
    return decoded_.data();
}

void TGIFSubImage::ReadPixels(std::vector<uint8_t>& pixels) const
{
    if (Empty()) {
        pixels.clear();
        return;
    }
    if (!Packed()) {
        pixels = data_;
        return;
    }
    std::vector<uint8_t> code;
    ReadCode(code);
    pixels.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    DecodeLzwImage(code.data(), code.size(), pixels.data(), pixels.size());
}

std::pair<int, int> TGIFSubImage::CodingTable() const
{
    if (ColorMap.Empty()) {
        // The shared table as the header writes it; without one, the widest table of the file.
        int bits = 8;
        if (image_)
            bits = image_->Header.ColorMap.Empty() ? image_->BitsPerPixel() : image_->Header.ColorMap.BitsPerPixel();
        return {bits, 1 << bits};
    }
    return {ColorMap.BitsPerPixel(), ColorMap.Count()};
}

void TGIFSubImage::Pack()
{
    if (Packed() || Empty())
        return;
    const std::pair<int, int> table = CodingTable();
    std::vector<uint8_t> code;
    if (CodePixels(data_.data(), width_, height_, table, code))
        StoreCode(table, std::move(code));
}

bool TGIFSubImage::CodePixels(const uint8_t* pixels, int width, int height, std::pair<int, int> table,
                              std::vector<uint8_t>& code)
{
    GifMemoryStream coded;
    try {
        TLZWEncoder encoder;
        encoder.EncodeImage(coded, static_cast<uint8_t>(table.first), table.second, pixels, height, width);
    } catch (const GIFException&) {
        // A pixel outside the table: the frame stays as it is, and writing it reports that.
        return false;
    }
    code = std::move(coded.bytes);
    return true;
}

void TGIFSubImage::StoreCode(std::pair<int, int> table, std::vector<uint8_t> code)
{
    if (Packed() || Empty())
        return;
    codeTable_ = table;
    codeSize_ = code.size();
    long long offset = -1;
    if (image_ && image_->SpillCode(code, offset)) {
        codeOffset_ = offset;
    } else {
        code_ = std::move(code);
        code_.shrink_to_fit();
    }
    data_.clear();
    data_.shrink_to_fit();
}

void TGIFSubImage::Unpack()
{
    if (!Packed())
        return;
    std::vector<uint8_t> pixels;
    ReadPixels(pixels);
    DropCode();
    data_ = std::move(pixels);
}

void TGIFSubImage::DropCode()
{
    code_.clear();
    code_.shrink_to_fit();
    codeOffset_ = -1;
    codeSize_ = 0;
    std::lock_guard guard(decodedLock_);
    decoded_.clear();
    decoded_.shrink_to_fit();
}

void TGIFSubImage::ReadCode(std::vector<uint8_t>& code) const
{
    if (codeOffset_ < 0)
        code = code_;
    else
        image_->ReadSpilled(codeOffset_, codeSize_, code);
}

size_t TGIFSubImage::HeldBytes() const
{
    std::lock_guard guard(decodedLock_);
    return data_.capacity() + code_.capacity() + decoded_.capacity();
}

int TGIFSubImage::ActiveColorCount() const
{
    if (!ColorMap.Empty() || !image_)
        return ColorMap.Count();
    return image_->Header.ColorMap.Count();
}

TGIFColor TGIFSubImage::ActiveColor(int index) const
{
    if (!ColorMap.Empty() || !image_)
        return ColorMap.Color(index);
    return image_->Header.ColorMap.Color(index);
}

void TGIFSubImage::RegisterControlExtension(TGIFGraphicControlExtension* extension)
{
    if (!controlExtension_)
        controlExtension_ = extension;
}

void TGIFSubImage::UnregisterControlExtension(TGIFGraphicControlExtension* extension)
{
    if (controlExtension_ == extension)
        controlExtension_ = nullptr;
}

void TGIFSubImage::Clear()
{
    Extensions.Clear();
    ColorMap.Clear();
    DropCode();
    data_.clear();
    data_.shrink_to_fit();
    width_ = height_ = 0;
    transparent_ = false;
}

void TGIFSubImage::Assign(const Picture& bitmap)
{
    Clear();
    if (bitmap.empty())
        return;
    SetWidth(bitmap.width());
    SetHeight(bitmap.height());
    const int bits = BitsPerPixel(bitmap.pixelFormat());
    if (bits == 1 || bits == 4 || bits == 8) {
        ImportIndexed(bitmap);
        return;
    }
    Picture source = bitmap;
    const Picture reduced = image_ ? ReduceToIndexed(source, image_->PaletteMode, image_->DiffusionMode, image_->PaletteBits)
                                   : ReduceToIndexed(source, pmWeb216, dfNearest, 8);
    if (reduced.empty())
        Clear();
    else if (reduced.pixelFormat() == TPixelFormat::pf24bit)
        ImportTrueColor(reduced);
    else
        ImportIndexed(reduced);
}

void TGIFSubImage::ImportIndexed(const Picture& bitmap)
{
    ColorMap.Clear();
    for (uint32_t rgb : bitmap.palette())
        ColorMap.Add(ColorOf(rgb));
    const int bits = BitsPerPixel(bitmap.pixelFormat());
    for (int y = 0; y < height_; ++y) {
        const uint8_t* src = bitmap.scanLine(y);
        uint8_t* dst = data_.data() + static_cast<size_t>(y) * width_;
        if (bits == 8) {
            std::memcpy(dst, src, static_cast<size_t>(width_));
        } else if (bits == 4) {
            for (int x = 0; x < width_; ++x)
                dst[x] = static_cast<uint8_t>((src[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F);
        } else {
            for (int x = 0; x < width_; ++x)
                dst[x] = static_cast<uint8_t>((src[x / 8] >> (7 - x % 8)) & 1);
        }
    }
}

void TGIFSubImage::ImportTrueColor(const Picture& bitmap)
{
    ColorMap.Clear();
    // The last colours met, most recent last: most pixels repeat one of them.
    TGIFColor recent[8];
    int recentIndex[8];
    int recentCount = 0;
    for (int y = 0; y < height_; ++y) {
        const uint8_t* src = bitmap.scanLine(y);
        uint8_t* dst = data_.data() + static_cast<size_t>(y) * width_;
        for (int x = 0; x < width_; ++x) {
            const TGIFColor c{src[3 * x + 2], src[3 * x + 1], src[3 * x]};
            int index = -1;
            for (int i = recentCount - 1; i >= 0 && index < 0; --i)
                if (recent[i] == c)
                    index = recentIndex[i];
            if (index < 0) {
                for (int i = 0; i < ColorMap.Count() && index < 0; ++i)
                    if (ColorMap[i] == c)
                        index = i;
                if (index < 0)
                    index = ColorMap.Add(c);
                if (recentCount == 8) {
                    std::move(recent + 1, recent + 8, recent);
                    std::move(recentIndex + 1, recentIndex + 8, recentIndex);
                    --recentCount;
                }
                recent[recentCount] = c;
                recentIndex[recentCount++] = index;
            }
            dst[x] = static_cast<uint8_t>(index);
        }
    }
}

void TGIFSubImage::AssignIndexed(const TGIFSubImage& source)
{
    Clear();
    if (source.Empty())
        return;
    SetWidth(source.width_);
    SetHeight(source.height_);
    if (!source.ColorMap.Empty())
        ColorMap.Assign(source.ColorMap);
    else if (source.image_)
        ColorMap.Assign(source.image_->Header.ColorMap);
    ColorMap.SetSorted(false);
    source.ReadPixels(data_);
}

void TGIFSubImage::Copy(const TGIFSubImage& source)
{
    Clear();
    SetLeft(source.left_);
    SetTop(source.top_);
    SetWidth(source.width_);
    SetHeight(source.height_);
    flags_ = source.flags_;
    transparent_ = source.transparent_;
    source.ReadPixels(data_);
    ColorMap.Assign(source.ColorMap);
    // Extensions travel through their own bytes, which recreates each one unchanged.
    GifMemoryStream bytes;
    for (const auto& extension : source.Extensions)
        extension->SaveToStream(bytes);
    GifReader reader(bytes.bytes);
    while (!reader.AtEnd())
        Extensions.Add(TGIFExtension::Load(reader, this));
}

void TGIFSubImage::CropToOpaque()
{
    if (!transparent_ || Empty() || !controlExtension_)
        return;
    Unpack();
    const uint8_t t = controlExtension_->TransparentColorIndex();
    auto columnHas = [&](int x) {
        for (int y = 0; y < height_; ++y)
            if (data_[static_cast<size_t>(y) * width_ + x] != t)
                return true;
        return false;
    };
    int leftEdge = 0;
    while (leftEdge < width_ && !columnHas(leftEdge))
        ++leftEdge;
    int rightEdge = width_ - 1;
    while (rightEdge >= leftEdge && !columnHas(rightEdge))
        --rightEdge;
    if (rightEdge < leftEdge) {
        Clear();
        return;
    }
    auto rowHas = [&](int y) {
        const uint8_t* row = data_.data() + static_cast<size_t>(y) * width_;
        for (int x = leftEdge; x <= rightEdge; ++x)
            if (row[x] != t)
                return true;
        return false;
    };
    int topEdge = 0;
    while (!rowHas(topEdge))
        ++topEdge;
    int bottomEdge = height_ - 1;
    while (bottomEdge > topEdge && !rowHas(bottomEdge))
        --bottomEdge;

    const int newWidth = rightEdge - leftEdge + 1;
    const int newHeight = bottomEdge - topEdge + 1;
    std::vector<uint8_t> cropped(static_cast<size_t>(newWidth) * newHeight);
    for (int y = 0; y < newHeight; ++y)
        std::memcpy(cropped.data() + static_cast<size_t>(y) * newWidth,
                    data_.data() + static_cast<size_t>(y + topEdge) * width_ + leftEdge, static_cast<size_t>(newWidth));
    // The rectangle lies inside the old one: the logical screen stays as it is.
    left_ += leftEdge;
    top_ += topEdge;
    width_ = newWidth;
    height_ = newHeight;
    data_ = std::move(cropped);
}

Picture TGIFSubImage::IndexedPicture() const
{
    if (Empty())
        return {};
    Picture picture(width_, height_, TPixelFormat::pf8bit);
    std::vector<uint8_t> pixels;
    ReadPixels(pixels);
    for (int y = 0; y < height_; ++y)
        std::memcpy(picture.scanLine(y), pixels.data() + static_cast<size_t>(y) * width_, static_cast<size_t>(width_));
    auto& palette = picture.palette();
    const int count = ActiveColorCount();
    for (int i = 0; i < count; ++i) {
        const TGIFColor c = ActiveColor(i);
        palette.push_back((static_cast<uint32_t>(c.Red) << 16) | (c.Green << 8) | c.Blue);
    }
    return picture;
}

TGIFVersion TGIFSubImage::Version() const
{
    if (ColorMap.Sorted() || Extensions.Count() > 0)
        return gv89a;
    return gv87a;
}

void TGIFSubImage::SaveToStream(GifOutput& stream)
{
    for (const auto& extension : Extensions)
        extension->SaveToStream(stream);
    if (Empty())
        return;

    uint8_t flags;
    if (!ColorMap.Empty())
        flags = static_cast<uint8_t>(0x80 | (ColorMap.Sorted() ? 0x20 : 0) | ((ColorMap.BitsPerPixel() - 1) & 0x07));
    else
        flags = static_cast<uint8_t>(flags_ & 0x58);
    // The interlace flag is not kept with a local table: frames are written row by row.
    stream.WriteByte(0x2C);
    stream.WriteWord(static_cast<uint16_t>(left_));
    stream.WriteWord(static_cast<uint16_t>(top_));
    stream.WriteWord(static_cast<uint16_t>(width_));
    stream.WriteWord(static_cast<uint16_t>(height_));
    stream.WriteByte(flags);
    ColorMap.SaveToStream(stream);

    const auto [bits, count] = CodingTable();
    if (Packed() && codeTable_ == std::pair{bits, count}) {
        // Coded when packed, for this very table: the bytes are written as they are.
        std::vector<uint8_t> code;
        ReadCode(code);
        stream.Write(code.data(), code.size());
        return;
    }
    // The run-length scheme is not built: every frame is LZW-coded, which any decoder reads.
    std::vector<uint8_t> pixels;
    const uint8_t* data = data_.data();
    if (Packed()) {
        ReadPixels(pixels);
        data = pixels.data();
    }
    TLZWEncoder encoder;
    encoder.EncodeImage(stream, static_cast<uint8_t>(bits), count, data, height_, width_);
}
