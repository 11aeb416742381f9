// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/pointer_images.h"

#include <algorithm>
#include <string_view>

namespace {

// '#' edge, '.' fill, ' ' clear; the hot spot is given with each shape.
constexpr std::string_view kArrow[] = {
    "#           ", "##          ", "#.#         ", "#..#        ", "#...#       ", "#....#      ",
    "#.....#     ", "#......#    ", "#.......#   ", "#........#  ", "#.........# ", "#......#####",
    "#...#..#    ", "#..# #..#   ", "#.#  #..#   ", "##    #..#  ", "#     #..#  ", "       ##   ",
};
constexpr std::string_view kHand[] = {
    "     ##         ", "    #..#        ", "    #..#        ", "    #..#        ", "    #..###      ",
    "    #..#..###   ", "    #..#..#..## ", " ## #..#..#..#.#", "#..##........#.#", "#...#..........#",
    " #.............#", "  #............#", "  #...........# ", "   #..........# ", "    #........#  ",
    "    #........#  ", "    ##########  ",
};
constexpr std::string_view kText[] = {
    "### ###", "#..#..#", "   #   ", "   #   ", "   #   ", "   #   ", "   #   ", "   #   ",
    "   #   ", "   #   ", "   #   ", "   #   ", "   #   ", "   #   ", "#..#..#", "### ###",
};

template <size_t Rows>
CursorImage Drawn(const std::string_view (&rows)[Rows], int xhot, int yhot)
{
    CursorImage image;
    image.height = static_cast<int>(Rows);
    for (const std::string_view row : rows)
        image.width = std::max(image.width, static_cast<int>(row.size()));
    image.xhot = xhot;
    image.yhot = yhot;
    image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
            const char c = rows[y][x];
            image.pixels[static_cast<size_t>(y) * image.width + x] =
                c == '#' ? 0xff000000u : c == '.' ? 0xffffffffu : 0u;
        }
    return image;
}

} // namespace

const CursorImage& PointerImage(PointerShape shape)
{
    static const CursorImage arrow = Drawn(kArrow, 0, 0);
    static const CursorImage hand = Drawn(kHand, 5, 0);
    static const CursorImage text = Drawn(kText, 3, 8);
    switch (shape) {
    case PointerShape::Hand:
        return hand;
    case PointerShape::Text:
        return text;
    case PointerShape::Arrow:
        break;
    }
    return arrow;
}
