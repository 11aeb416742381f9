// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/slot_reader.h"

#include "core/frame_store.h"

#include <charconv>
#include <string_view>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The slot number of a frame file's name ("temp" N ".bmp"), 0 for any other name.
int SlotOfFrameName(const std::string& name)
{
    constexpr std::string_view prefix = "temp";
    constexpr std::string_view suffix = ".bmp";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size() - suffix.size();
    if (*first == '0')
        return 0;
    int n = 0;
    const auto [end, error] = std::from_chars(first, last, n);
    return error == std::errc() && end == last ? n : 0;
}

} // namespace

SlotReader::SlotReader(const WorkingFiles& files, int frameCount)
    : files_(files)
    , frameCount_(frameCount > 0 ? frameCount : 0)
{
    // Sized by the files found, not by frameCount: a wrong count costs no memory.
    std::error_code ec;
    for (fs::directory_iterator it(files_.WorkingDirectory(), ec), end; !ec && it != end; it.increment(ec)) {
        const int n = SlotOfFrameName(it->path().filename().string());
        if (n < 1 || n > frameCount_)
            continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        if (stored_.size() < static_cast<size_t>(n))
            stored_.resize(static_cast<size_t>(n), false);
        if (!stored_[n - 1]) {
            stored_[n - 1] = true;
            ++storedCount_;
        }
    }
}

bool SlotReader::Stored(int n) const
{
    return n >= 1 && static_cast<size_t>(n) <= stored_.size() && stored_[n - 1];
}

int SlotReader::firstStored() const
{
    for (size_t i = 0; i < stored_.size(); ++i)
        if (stored_[i])
            return static_cast<int>(i) + 1;
    return 0;
}

bool SlotReader::Read(int n, Picture& picture) const
{
    if (!Stored(n))
        return false;
    LoadFrame(files_, n, picture);
    return true;
}
