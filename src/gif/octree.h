// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Octree colour quantisation in one pass: the tree is built and reduced pixel by pixel, so the
// palette depends on the order of the pixels (rows from the top, pixels from the left).

#include "core/picture.h"
#include "gif/palettes.h"

#include <array>
#include <cstdint>
#include <vector>

struct TOctreeNode {
    bool leaf = false;
    uint64_t pixelCount = 0;
    uint64_t redSum = 0;
    uint64_t greenSum = 0;
    uint64_t blueSum = 0;
    int nextReducible = -1;
    std::array<int, 8> children{-1, -1, -1, -1, -1, -1, -1, -1};
};

class TColorQuantizer {
public:
    TColorQuantizer(int maxColors, int colorBits);

    // Adds count pixels of one colour; merges while there are more leaves than colours.
    void AddColor(uint8_t red, uint8_t green, uint8_t blue, uint64_t count = 1);
    int LeafCount() const { return leafCount_; }
    // Leaf colours depth-first, children in index order.
    ColorPalette CollectLeaves() const;

private:
    int NewNode(int level);
    void InsertColor(uint8_t red, uint8_t green, uint8_t blue, uint64_t count);
    // False when no node is left to merge.
    bool MergeDeepestNode();
    void ReleaseNode(int node);
    void Collect(int node, ColorPalette& out) const;

    // The leaf each recently inserted colour reached. Adding nodes never moves a colour to
    // another leaf, merging does: a merge starts a new generation and so empties the memo.
    struct LeafMemo {
        uint32_t color = 0;
        uint32_t generation = 0;
        int node = -1;
    };
    static constexpr size_t kMemoSize = 1024;
    static size_t MemoSlot(uint32_t color) { return ((color * 2654435761u) >> 22) & (kMemoSize - 1); }

    // Nodes live in one pool and refer to each other by index; released ones are reused.
    std::vector<TOctreeNode> nodes_;
    std::vector<int> freeNodes_;
    int root_ = -1;
    int leafCount_ = 0;
    int maxColors_;
    int colorBits_;
    std::array<int, 9> reducible_{};
    std::vector<LeafMemo> memo_;
    uint32_t generation_ = 1;
};

// Palette of exactly maxColors entries for a 24-bit picture: the collected colours first, the
// remaining entries black. With keepSystemColors the palette is 256 entries: the ten first
// system colours, then maxColors octree entries (236 leave room for all twenty), then the ten
// last system colours.
ColorPalette BuildOctreePalette(const Picture& picture, int maxColors, int colorBits, bool keepSystemColors);
