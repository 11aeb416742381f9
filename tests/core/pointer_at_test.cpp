// SPDX-License-Identifier: GPL-3.0-or-later
// Where a rendering draws the logged pointer at each moment, including logs a user edited badly.
#include "core/performance_log.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

PointerSample Sample(long long ms, double x, double y, bool over = true)
{
    PointerSample sample;
    sample.ms = ms;
    sample.x = x;
    sample.y = y;
    sample.over = over;
    return sample;
}

} // namespace

TEST(PointerAt, MovesInAStraightLineBetweenSamplesOnTheSlideAndNowhereElse)
{
    const std::vector<PointerSample> log{Sample(100, 0.0, 0.0), Sample(300, 1.0, 0.5), Sample(400, 0, 0, false),
                                         Sample(500, 1.5, 0.5), Sample(600, 0.5, 0.5), Sample(600, 0.25, 0.5)};
    struct Row {
        long long ms;
        bool drawn;
        double x;
        double y;
    };
    const std::vector<Row> rows{
        {0, false, 0, 0},        // before the first sample
        {100, true, 0, 0},       //
        {200, true, 0.5, 0.25},  // halfway
        {399, true, 1, 0.5},     // no line into the moment it left
        {450, false, 0, 0},      // gone
        {550, false, 0, 0},      // a sample off the slide is never drawn
        {600, true, 0.25, 0.5},  // two samples at one moment: the later one
        {10000, true, 0.25, 0.5} // stays where it was last seen
    };
    for (const Row& row : rows) {
        const auto at = PointerAt(log, row.ms);
        ASSERT_EQ(at.has_value(), row.drawn) << row.ms;
        if (at) {
            EXPECT_NEAR(at->x, row.x, 1e-9) << row.ms;
            EXPECT_NEAR(at->y, row.y, 1e-9) << row.ms;
        }
    }
    for (const std::string name : {"next", "previous", "next-slide", "previous-slide", "first", "last"})
        EXPECT_EQ(SlideStepName(*SlideStepNamed(name)), name);
    EXPECT_FALSE(SlideStepNamed("jump"));
}
