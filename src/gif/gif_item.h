// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Base of every part of a GIF image, and the ordered lists that own them.

#include "gif/gif_stream.h"

#include <memory>
#include <string>
#include <vector>

class TGIFImage;

enum TGIFVersion { gvUnknown = 0, gv87a = 1, gv89a = 2 };
enum TGIFSeverity { gsInfo, gsWarning, gsError };

class TGIFItem {
public:
    explicit TGIFItem(TGIFImage* image) : image_(image) {}
    virtual ~TGIFItem() = default;
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    TGIFImage* Image() const { return image_; }
    // The oldest format version that can hold this part.
    virtual TGIFVersion Version() const { return gv87a; }
    // Passes a warning to the image's warning handler; without one it is ignored.
    void Warn(TGIFSeverity severity, const std::string& message);
    virtual void SaveToStream(GifOutput& stream) = 0;
    void SaveToFile(const std::string& path);

protected:
    TGIFImage* image_;
};

template <typename T>
class TGIFList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    T& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }
    // Takes the item over; returns its index.
    int Add(std::unique_ptr<T> item)
    {
        items_.push_back(std::move(item));
        return Count() - 1;
    }
    void Clear() { items_.clear(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<std::unique_ptr<T>> items_;
};

// The number of bits an index of a table of count entries needs: at least 1, 0 when empty.
int ColorTableBits(int count);
