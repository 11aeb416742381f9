// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/octree.h"

#include <algorithm>

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : maxColors_(std::max(maxColors, 1)), colorBits_(std::clamp(colorBits, 1, 8))
{
    reducible_.fill(-1);
    nodes_.reserve(1024);
    memo_.resize(kMemoSize);
    root_ = NewNode(0);
}

int TColorQuantizer::NewNode(int level)
{
    int index;
    if (!freeNodes_.empty()) {
        index = freeNodes_.back();
        freeNodes_.pop_back();
        nodes_[index] = TOctreeNode{};
    } else {
        index = static_cast<int>(nodes_.size());
        nodes_.emplace_back();
    }
    TOctreeNode& node = nodes_[index];
    if (level == colorBits_) {
        node.leaf = true;
        ++leafCount_;
    } else {
        // The node pushed last is the first one merged at its level.
        node.nextReducible = reducible_[level];
        reducible_[level] = index;
    }
    return index;
}

void TColorQuantizer::AddColor(uint8_t red, uint8_t green, uint8_t blue, uint64_t count)
{
    // Pixels of one colour in a row reach the same leaf and create no node after the first,
    // so adding them together gives the tree that adding them one by one gives.
    InsertColor(red, green, blue, count);
    while (leafCount_ > maxColors_)
        if (!MergeDeepestNode())
            break;
}

void TColorQuantizer::InsertColor(uint8_t red, uint8_t green, uint8_t blue, uint64_t count)
{
    // Text and anti-aliased edges bring a few colours back again and again, in short runs:
    // the memo spares them the walk down the tree.
    const uint32_t color = (static_cast<uint32_t>(red) << 16) | (green << 8) | blue;
    LeafMemo& memo = memo_[MemoSlot(color)];
    int node = root_;
    if (memo.generation == generation_ && memo.color == color)
        node = memo.node;
    for (int level = 0;; ++level) {
        TOctreeNode& n = nodes_[node];
        if (n.leaf) {
            n.pixelCount += count;
            n.redSum += static_cast<uint64_t>(red) * count;
            n.greenSum += static_cast<uint64_t>(green) * count;
            n.blueSum += static_cast<uint64_t>(blue) * count;
            memo = {color, generation_, node};
            return;
        }
        const int shift = 7 - level;
        const int child = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
        int next = n.children[child];
        if (next < 0) {
            next = NewNode(level + 1); // may move nodes_: index again below
            nodes_[node].children[child] = next;
        }
        node = next;
    }
}

bool TColorQuantizer::MergeDeepestNode()
{
    int level = colorBits_ - 1;
    while (level > 0 && reducible_[level] < 0)
        --level;
    const int index = reducible_[level];
    if (index < 0)
        return false;
    ++generation_;
    TOctreeNode& node = nodes_[index];
    reducible_[level] = node.nextReducible;
    node.nextReducible = -1;

    int children = 0;
    for (int& child : node.children) {
        if (child < 0)
            continue;
        const TOctreeNode& c = nodes_[child];
        node.pixelCount += c.pixelCount;
        node.redSum += c.redSum;
        node.greenSum += c.greenSum;
        node.blueSum += c.blueSum;
        ReleaseNode(child);
        child = -1;
        ++children;
    }
    node.leaf = true;
    leafCount_ -= children - 1;
    return true;
}

void TColorQuantizer::ReleaseNode(int node)
{
    // Children of the node merged are leaves: the level below it has no reducible node left.
    for (int child : nodes_[node].children)
        if (child >= 0)
            ReleaseNode(child);
    freeNodes_.push_back(node);
}

void TColorQuantizer::Collect(int node, ColorPalette& out) const
{
    const TOctreeNode& n = nodes_[node];
    if (n.leaf) {
        PaletteEntry e;
        if (n.pixelCount > 0) {
            e.red = static_cast<uint8_t>(n.redSum / n.pixelCount);
            e.green = static_cast<uint8_t>(n.greenSum / n.pixelCount);
            e.blue = static_cast<uint8_t>(n.blueSum / n.pixelCount);
        }
        out.push_back(e);
        return;
    }
    for (int child : n.children)
        if (child >= 0)
            Collect(child, out);
}

ColorPalette TColorQuantizer::CollectLeaves() const
{
    ColorPalette out;
    out.reserve(static_cast<size_t>(leafCount_));
    Collect(root_, out);
    return out;
}

ColorPalette BuildOctreePalette(const Picture& picture, int maxColors, int colorBits, bool keepSystemColors)
{
    TColorQuantizer quantizer(maxColors, colorBits);
    const int width = picture.width();
    bool pending = false;
    uint8_t r = 0, g = 0, b = 0;
    uint64_t run = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const uint8_t* px = picture.scanLine(y);
        for (int x = 0; x < width; ++x, px += 3) {
            if (pending && px[2] == r && px[1] == g && px[0] == b) {
                ++run;
                continue;
            }
            if (pending)
                quantizer.AddColor(r, g, b, run);
            r = px[2];
            g = px[1];
            b = px[0];
            run = 1;
            pending = true;
        }
    }
    if (pending)
        quantizer.AddColor(r, g, b, run);

    ColorPalette colors = quantizer.CollectLeaves();
    colors.resize(static_cast<size_t>(std::max(maxColors, 1)));
    if (!keepSystemColors)
        return colors;
    const ColorPalette& system = SystemPalette20();
    ColorPalette palette(system.begin(), system.begin() + 10);
    palette.insert(palette.end(), colors.begin(), colors.end());
    palette.insert(palette.end(), system.begin() + 10, system.end());
    if (palette.size() > 256)
        palette.resize(256);
    return palette;
}
