// SPDX-License-Identifier: GPL-3.0-or-later
// The whole image: frame list, logical screen, copying and writing.
#include "gif/gif_image.h"

#include "gif/gif_exception.h"
#include "gif/gif_painter.h"
#include "gif/gif_spill_file.h"

#include <algorithm>

void TGIFItem::Warn(TGIFSeverity severity, const std::string& message)
{
    if (image_ && image_->OnWarning)
        image_->OnWarning(this, severity, message);
}

void TGIFItem::SaveToFile(const std::string& path)
{
    GifFileStream file(path);
    SaveToStream(file);
    file.Close();
}

void TGIFHeader::Clear()
{
    ScreenWidth = ScreenHeight = 0;
    Flags = BackgroundColorIndex = AspectRatio = 0;
    ColorMap.Clear();
}

void TGIFHeader::SaveToStream(GifOutput& stream)
{
    const TGIFVersion version = image_ ? image_->Version() : gv87a;
    if (version == gvUnknown)
        throw GIFException(gif_messages::kUnsupportedVersion);
    stream.Write(version == gv89a ? "GIF89a" : "GIF87a", 6);

    // The size field tells how many entries of the shared table follow, so it is that table's
    // own size; without a shared table no decoder reads it, and it holds the widest local one.
    const int bits = std::max(ColorMap.Empty() && image_ ? image_->BitsPerPixel() : ColorMap.BitsPerPixel(), 1);
    Flags = static_cast<uint8_t>((ColorMap.Empty() ? 0 : 0x80) | (ColorMap.Sorted() ? 0x08 : 0) | (((bits - 1) & 0x07) << 4) |
                                 ((bits - 1) & 0x07));
    stream.WriteWord(ScreenWidth);
    stream.WriteWord(ScreenHeight);
    stream.WriteByte(Flags);
    stream.WriteByte(BackgroundColorIndex);
    stream.WriteByte(AspectRatio);
    if (!ColorMap.Empty())
        ColorMap.SaveToStream(stream);
}

TGIFImage::TGIFImage()
    : Header(this)
{
}

TGIFImage::~TGIFImage()
{
    std::vector<TGIFPainter*> painters;
    {
        std::lock_guard lock(paintersLock_);
        painters.swap(painters_);
    }
    for (TGIFPainter* painter : painters)
        painter->Detach();
}

void TGIFImage::SetWidth(int width)
{
    for (const auto& frame : Images)
        if (width < frame->Left() + frame->Width())
            throw GIFException(gif_messages::kImageWidthTooSmall);
    if (width < 0 || width > 0xFFFF)
        throw GIFException(gif_messages::kInvalidImageDimensions);
    Header.ScreenWidth = static_cast<uint16_t>(width);
}

void TGIFImage::SetHeight(int height)
{
    for (const auto& frame : Images)
        if (height < frame->Top() + frame->Height())
            throw GIFException(gif_messages::kImageHeightTooSmall);
    if (height < 0 || height > 0xFFFF)
        throw GIFException(gif_messages::kInvalidImageDimensions);
    Header.ScreenHeight = static_cast<uint16_t>(height);
}

void TGIFImage::GrowScreen(const TGIFSubImage& frame)
{
    // The first frame of an empty image sets the screen without a word.
    bool warned = false;
    if (frame.Left() + frame.Width() > Header.ScreenWidth) {
        if (Header.ScreenWidth > 0) {
            Header.Warn(gsWarning, gif_messages::kImageWidthTooSmall);
            warned = true;
        }
        Header.ScreenWidth = static_cast<uint16_t>(frame.Left() + frame.Width());
    }
    if (frame.Top() + frame.Height() > Header.ScreenHeight) {
        if (Header.ScreenHeight > 0) {
            Header.Warn(gsWarning, gif_messages::kImageHeightTooSmall);
            warned = true;
        }
        Header.ScreenHeight = static_cast<uint16_t>(frame.Top() + frame.Height());
    }
    if (warned)
        Header.Warn(gsWarning, gif_messages::kImageExceedsScreen);
}

int TGIFImage::Add(const Picture& bitmap)
{
    auto frame = std::make_unique<TGIFSubImage>(this);
    Progress(psStarting, 0, "Converting...");
    frame->Assign(bitmap);
    Progress(psEnding, 100, "Converting...");
    return Images.Add(std::move(frame));
}

int TGIFImage::Add(const TGIFImage& source)
{
    auto frame = std::make_unique<TGIFSubImage>(this);
    if (!source.Empty())
        frame->AssignIndexed(source.Images[0]);
    return Images.Add(std::move(frame));
}

int TGIFImage::Add(std::unique_ptr<TGIFSubImage> frame)
{
    if (!frame)
        throw GIFException(gif_messages::kUnsupportedObject);
    GrowScreen(*frame);
    return Images.Add(std::move(frame));
}

void TGIFImage::Assign(const Picture& bitmap)
{
    Clear();
    Add(bitmap);
}

void TGIFImage::Assign(const TGIFImage& source)
{
    if (&source == this)
        return;
    Clear();
    Header.ScreenWidth = source.Header.ScreenWidth;
    Header.ScreenHeight = source.Header.ScreenHeight;
    Header.Flags = source.Header.Flags;
    Header.BackgroundColorIndex = source.Header.BackgroundColorIndex;
    Header.AspectRatio = source.Header.AspectRatio;
    Header.ColorMap.Assign(source.Header.ColorMap);
    DrawOptions = source.DrawOptions;
    PaletteMode = source.PaletteMode;
    DiffusionMode = source.DiffusionMode;
    ThreadPriority = source.ThreadPriority;
    OnWarning = source.OnWarning;
    OnProgress = source.OnProgress;
    const int count = source.Count();
    for (int i = 0; i < count; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(this);
        frame->Copy(source.Images[i]);
        Images.Add(std::move(frame));
        Progress(psRunning, (i + 1) * 100 / count, "Copying...");
    }
}

void TGIFImage::Clear()
{
    StopPainters();
    Images.Clear();
    Header.Clear();
    spill_.reset();
    codeInMemory_ = 0;
}

void TGIFImage::SetSpillFolder(const std::string& folder, size_t memoryBound)
{
    spillFolder_ = folder;
    memoryBound_ = memoryBound;
}

bool TGIFImage::SpillCode(const std::vector<uint8_t>& code, long long& offset)
{
    // Counted as packed, never taken back: a frame unpacked again only brings spilling nearer.
    if (spillFolder_.empty() || codeInMemory_ + code.size() <= memoryBound_) {
        codeInMemory_ += code.size();
        return false;
    }
    if (!spill_)
        spill_ = std::make_unique<GifSpillFile>(spillFolder_);
    offset = spill_->Append(code);
    return true;
}

void TGIFImage::ReadSpilled(long long offset, size_t size, std::vector<uint8_t>& code) const
{
    if (!spill_)
        throw GIFException(gif_messages::kPrematureEnd);
    spill_->Read(offset, size, code);
}

size_t TGIFImage::HeldBytes() const
{
    size_t bytes = 0;
    for (const auto& frame : Images)
        bytes += frame->HeldBytes();
    return bytes;
}

long long TGIFImage::SpilledBytes() const
{
    return spill_ ? spill_->Size() : 0;
}

Picture TGIFImage::Bitmap() const
{
    return Empty() ? Picture() : Images[0].IndexedPicture();
}

TGIFVersion TGIFImage::Version() const
{
    TGIFVersion version = gvUnknown;
    for (const auto& frame : Images) {
        version = std::max(version, frame->Version());
        if (version == gv89a)
            break;
    }
    return version;
}

int TGIFImage::BitsPerPixel() const
{
    int bits = Header.ColorMap.BitsPerPixel();
    for (const auto& frame : Images)
        bits = std::max(bits, frame->ColorMap.BitsPerPixel());
    return bits;
}

void TGIFImage::SaveToStream(GifOutput& stream, const std::function<void(int written, int count)>& afterFrame)
{
    if (Version() == gvUnknown)
        throw GIFException(gif_messages::kUnsupportedVersion);
    Header.SaveToStream(stream);
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        Images[i].SaveToStream(stream);
        Progress(psRunning, (i + 1) * 100 / count, "Saving...");
        if (afterFrame)
            afterFrame(i + 1, count);
    }
    TGIFTrailer(this).SaveToStream(stream);
}

void TGIFImage::SaveToFile(const std::string& path)
{
    GifFileStream file(path);
    SaveToStream(file);
    file.Close();
}

void TGIFImage::Progress(TGIFProgressStage stage, int percent, const char* message)
{
    if (OnProgress)
        OnProgress(stage, percent, message);
}

void TGIFImage::AddPainter(TGIFPainter* painter)
{
    std::lock_guard lock(paintersLock_);
    painters_.push_back(painter);
}

void TGIFImage::RemovePainter(TGIFPainter* painter)
{
    std::lock_guard lock(paintersLock_);
    painters_.erase(std::remove(painters_.begin(), painters_.end(), painter), painters_.end());
}

void TGIFImage::StopPainters()
{
    std::vector<TGIFPainter*> painters;
    {
        std::lock_guard lock(paintersLock_);
        painters = painters_;
    }
    for (TGIFPainter* painter : painters)
        painter->Stop();
}
