// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An animated GIF in memory: the header with the logical screen, and the frames with their
// position, indexed pixels, local colour table and extensions. Written as GIF87a or GIF89a,
// the image data of each frame LZW-coded. A finished frame can be packed: it then keeps only
// its coded image data (what the file needs), in memory or, past the image's memory bound, in
// a spill file, and its pixels are decoded again whenever they are asked for.

#include "core/picture.h"
#include "gif/color_reduction.h"
#include "gif/gif_color_map.h"
#include "gif/gif_extensions.h"
#include "gif/gif_item.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class GifSpillFile;
class TGIFPainter;

// The header and the logical screen descriptor; the flags byte is computed when written.
class TGIFHeader : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* image) : TGIFItem(image), ColorMap(this) {}
    void Clear();
    // "GIF", the image's version, the logical screen descriptor and the global table.
    void SaveToStream(GifOutput& stream) override;

    uint16_t ScreenWidth = 0;
    uint16_t ScreenHeight = 0;
    uint8_t Flags = 0;
    uint8_t BackgroundColorIndex = 0;
    uint8_t AspectRatio = 0;
    TGIFGlobalColorMap ColorMap;
};

class TGIFTrailer : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    void SaveToStream(GifOutput& stream) override { stream.WriteByte(0x3B); }
};

class TGIFSubImage : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Setting a size replaces the pixels by zeros when it changes; every setter then grows
    // the logical screen to cover the frame.
    void SetLeft(int left);
    void SetTop(int top);
    void SetWidth(int width);
    void SetHeight(int height);
    // The descriptor's flags byte as last read or set; only its interlace and reserved bits
    // survive writing, and only for a frame without a local table.
    uint8_t Flags() const { return flags_; }
    void SetFlags(uint8_t flags) { flags_ = flags; }

    bool Empty() const { return (data_.empty() && !Packed()) || width_ == 0 || height_ == 0; }
    // Writable pixels: a packed frame is unpacked first.
    uint8_t* Data();
    // Readable pixels: a packed frame decodes them into a copy it keeps until it changes.
    // Whoever reads many frames once (playback) should use ReadPixels instead.
    const uint8_t* Data() const;
    // Raise "Image is empty" and "Invalid pixel coordinates".
    uint8_t Pixel(int x, int y) const;
    uint8_t* ScanLine(int y);
    // Width x height indices, rows from the top, into a buffer of the caller's (empty for an
    // empty frame); decodes a packed frame without keeping anything.
    void ReadPixels(std::vector<uint8_t>& pixels) const;

    // Keeps only the coded image data, the way SaveToStream writes it, and drops the pixels;
    // an empty frame stays as it is. A frame without a local table is coded for the shared
    // table's size at that moment. Changing the pixels or the size unpacks it; a table (its
    // own or the shared one) of another size when written codes the pixels again.
    void Pack();
    bool Packed() const { return codeSize_ > 0; }
    // Pack in two steps, so that the coding can run on another thread: CodingTable is the
    // colour table bits and count the coder gets for this frame now, CodePixels reads only the
    // pixels it is given (false for a pixel outside the table), StoreCode keeps the code of
    // this frame's pixels, which must not have changed since they were coded.
    std::pair<int, int> CodingTable() const;
    static bool CodePixels(const uint8_t* pixels, int width, int height, std::pair<int, int> table,
                           std::vector<uint8_t>& code);
    void StoreCode(std::pair<int, int> table, std::vector<uint8_t> code);
    // Bytes of pixels, decoded copy and coded data this frame keeps in memory.
    size_t HeldBytes() const;

    TGIFLocalColorMap ColorMap;
    TGIFExtensionList Extensions;
    // Entries of the table the pixels index: the local one, or the global one without it.
    int ActiveColorCount() const;
    TGIFColor ActiveColor(int index) const;

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent) { transparent_ = transparent; }
    // The first graphic control extension created for this frame.
    TGIFGraphicControlExtension* GraphicControlExtension() const { return controlExtension_; }
    void RegisterControlExtension(TGIFGraphicControlExtension* extension);
    void UnregisterControlExtension(TGIFGraphicControlExtension* extension);

    // Removes extensions, colour table, pixels, size and transparency.
    void Clear();
    // Makes the frame from a bitmap: 1-, 4- and 8-bit ones as they are, deeper ones reduced
    // with the image's PaletteMode, DiffusionMode and PaletteBits.
    void Assign(const Picture& bitmap);
    // Indices and colour table of another frame, as an 8-bit bitmap would bring them.
    void AssignIndexed(const TGIFSubImage& source);
    // Copies descriptor, transparency, pixels, colour table and extensions.
    void Copy(const TGIFSubImage& source);
    // With the transparent flag set: shrinks the frame to the smallest rectangle holding all
    // pixels that are not the transparent index. A frame of nothing else becomes empty.
    void CropToOpaque();
    // The pixels as an 8-bit bitmap with the frame's colour table.
    Picture IndexedPicture() const;

    TGIFVersion Version() const override;
    void SaveToStream(GifOutput& stream) override;

private:
    void Resize();
    void ImportIndexed(const Picture& bitmap);
    void ImportTrueColor(const Picture& bitmap);
    // Back to plain pixels (no-op for a frame that is not packed).
    void Unpack();
    void DropCode();
    // The coded data as Pack stored it.
    void ReadCode(std::vector<uint8_t>& code) const;

    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    uint8_t flags_ = 0;
    std::vector<uint8_t> data_;
    bool transparent_ = false;
    TGIFGraphicControlExtension* controlExtension_ = nullptr;
    // Packed: the coded data in code_, or codeSize_ bytes at codeOffset_ of the image's
    // spill file; the table it was coded for.
    std::vector<uint8_t> code_;
    long long codeOffset_ = -1;
    size_t codeSize_ = 0;
    std::pair<int, int> codeTable_{0, 0};
    mutable std::mutex decodedLock_;
    mutable std::vector<uint8_t> decoded_;
};

using TGIFImageList = TGIFList<TGIFSubImage>;

enum TGIFCodeScheme : uint8_t { csLZW = 0, csRunLength = 1 };

// Playback options of the preview.
enum TGIFDrawOption : uint16_t {
    goAsync = 1 << 0,
    goTransparent = 1 << 1,
    goAnimate = 1 << 2,
    goLoop = 1 << 3,
    goDither = 1 << 4,
    goAutoDither = 1 << 5,
};

enum TGIFProgressStage { psStarting, psRunning, psEnding };

class TGIFImage {
public:
    using WarningHandler = std::function<void(TGIFItem* sender, TGIFSeverity severity, const std::string& message)>;
    using ProgressHandler = std::function<void(TGIFProgressStage stage, int percent, const std::string& message)>;

    TGIFImage();
    // Stops every painter still playing the image.
    ~TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    TGIFImageList Images;
    TGIFHeader Header;

    int Count() const { return Images.Count(); }
    bool Empty() const { return Images.Count() == 0; }
    // The logical screen.
    int Width() const { return Header.ScreenWidth; }
    int Height() const { return Header.ScreenHeight; }
    // Raise "Image width/height too small for contained frames" below a frame's edge.
    void SetWidth(int width);
    void SetHeight(int height);

    // Appends a frame made from a bitmap; returns its index.
    int Add(const Picture& bitmap);
    // Appends the first frame of another image by its indices and colour table.
    int Add(const TGIFImage& source);
    // Takes over a frame as it is.
    int Add(std::unique_ptr<TGIFSubImage> frame);
    // Clears the image and makes it one frame from the bitmap.
    void Assign(const Picture& bitmap);
    // Clears the image and copies another one (not CodeScheme, PaletteBits, AnimationSpeed).
    void Assign(const TGIFImage& source);
    void Clear();
    // The first frame as an 8-bit bitmap (empty without frames).
    Picture Bitmap() const;

    // The oldest version that holds every frame; gvUnknown without frames.
    TGIFVersion Version() const;
    // Largest bits per pixel among the global and all local colour tables.
    int BitsPerPixel() const;
    // Raises "Unsupported GIF version" for an image without frames. afterFrame (when set) is
    // called after each frame with the frames written and their count; what it throws ends
    // the writing and passes through.
    void SaveToStream(GifOutput& stream, const std::function<void(int written, int count)>& afterFrame = {});
    void SaveToFile(const std::string& path);

    // Called by frames whose edges moved.
    void GrowScreen(const TGIFSubImage& frame);

    // Packed frames keep their coded data in memory up to memoryBound bytes in all; beyond
    // that it goes to a spill file in folder (created when first needed, gone with the
    // image). Without a folder everything stays in memory.
    void SetSpillFolder(const std::string& folder, size_t memoryBound);
    // Bytes of pixels and coded data the frames keep in memory (colour tables and extensions
    // not counted).
    size_t HeldBytes() const;
    // Bytes of coded data written to the spill file.
    long long SpilledBytes() const;

    TPaletteMode PaletteMode = pmWeb216;
    int PaletteBits = 8;
    TDiffusionMode DiffusionMode = dfNearest;
    TGIFCodeScheme CodeScheme = csLZW;
    uint16_t DrawOptions = goAsync | goTransparent | goAnimate | goLoop | goDither | goAutoDither;
    int ThreadPriority = 0; // normal
    int AnimationSpeed = 100;
    WarningHandler OnWarning;
    ProgressHandler OnProgress;

    // Painters register while they play the image.
    void AddPainter(TGIFPainter* painter);
    void RemovePainter(TGIFPainter* painter);
    void StopPainters();

private:
    friend class TGIFSubImage;
    // Where a frame's coded data goes: false when it stays in memory, else its spill offset.
    bool SpillCode(const std::vector<uint8_t>& code, long long& offset);
    void ReadSpilled(long long offset, size_t size, std::vector<uint8_t>& code) const;
    void Progress(TGIFProgressStage stage, int percent, const char* message);

    std::string spillFolder_;
    size_t memoryBound_ = 0;
    size_t codeInMemory_ = 0;
    std::unique_ptr<GifSpillFile> spill_;

    std::mutex paintersLock_;
    std::vector<TGIFPainter*> painters_;
};
