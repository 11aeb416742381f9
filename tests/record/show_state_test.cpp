// SPDX-License-Identifier: GPL-3.0-or-later
// What the page's state means for a recording: when Start Record may begin, and when a black
// presentation area is the end of the show.
#include "record/show_state.h"

#include <gtest/gtest.h>

namespace {

constexpr PageState kAllStates[] = {PageState::Loading, PageState::Page, PageState::Slide, PageState::EndScreen,
                                    PageState::CannotShow};

// 595 x 466, black but for one lit point at (x, y).
Picture BlackWithPoint(int x, int y)
{
    Picture picture(595, 466);
    if (y >= 0)
        picture.scanLine(y)[3 * x + 2] = 1;
    return picture;
}

} // namespace

TEST(ShowState, ABlackAreaIsTheEndOnlyAtTheViewersEndScreenOrOnAnotherPage)
{
    const Picture black = BlackWithPoint(0, -1);
    EXPECT_TRUE(ShowHasEnded(black, PageState::EndScreen));
    EXPECT_TRUE(ShowHasEnded(black, PageState::Page));
    EXPECT_TRUE(ShowHasEnded(black, PageState::Loading));
    // A dark slide, a slide whose pictures come on a click, a fade through black.
    EXPECT_FALSE(ShowHasEnded(black, PageState::Slide));
    EXPECT_FALSE(ShowHasEnded(black, PageState::CannotShow));
    EXPECT_TRUE(ShowHasEnded(Picture(), PageState::EndScreen)); // points outside count as black
    // Anything lit where the test looks is never the end, whatever the viewer says.
    for (PageState state : kAllStates)
        EXPECT_FALSE(ShowHasEnded(BlackWithPoint(480, 350), state)) << static_cast<int>(state);
}

TEST(ShowState, RecordingWaitsOnlyWhileThePageLoads)
{
    for (PageState state : kAllStates)
        EXPECT_EQ(ReadyToRecord(state), state != PageState::Loading) << static_cast<int>(state);
}
