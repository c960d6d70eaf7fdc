// Where the animation of a window hidden into the tray flies to, and when a timed
// icon animation ends.
#include "TrayArithmetic.h"

#include <gtest/gtest.h>

using TrayArithmetic::Rect;

namespace
{

void ExpectRect(const Rect& expected, const Rect& actual)
{
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

} // namespace

TEST(TrayArithmetic, ClockNarrowsTheNotificationArea)
{
    // Horizontal taskbar: the clock fills the area's height, the area ends where it starts.
    ExpectRect({800, 740, 940, 768},
               TrayArithmetic::AdjustAreaForClock({800, 740, 1000, 768}, {940, 742, 1000, 766}));
    // Vertical taskbar, clock above the icons: what lies below the clock.
    ExpectRect({0, 530, 60, 700}, TrayArithmetic::AdjustAreaForClock({0, 500, 60, 700}, {0, 500, 60, 530}));
    // The 5-pixel slack: ending exactly 5 above the bottom still counts as horizontal, 6 does not.
    ExpectRect({0, 0, 70, 100}, TrayArithmetic::AdjustAreaForClock({0, 0, 100, 100}, {70, 0, 100, 95}));
    ExpectRect({0, 94, 100, 100}, TrayArithmetic::AdjustAreaForClock({0, 0, 100, 100}, {70, 0, 100, 94}));
}

TEST(TrayArithmetic, EstimatesFromTaskbarAndWorkArea)
{
    Rect area = {};
    ASSERT_TRUE(TrayArithmetic::AreaFromTaskbar(TrayArithmetic::kEdgeBottom, {0, 738, 1024, 768}, &area));
    ExpectRect({924, 738, 1008, 768}, area);
    ASSERT_TRUE(TrayArithmetic::AreaFromTaskbar(TrayArithmetic::kEdgeTop, {0, 0, 800, 30}, &area));
    ExpectRect({700, 0, 784, 30}, area);
    ASSERT_TRUE(TrayArithmetic::AreaFromTaskbar(TrayArithmetic::kEdgeLeft, {0, 0, 60, 768}, &area));
    ExpectRect({0, 668, 60, 752}, area);
    ASSERT_TRUE(TrayArithmetic::AreaFromTaskbar(TrayArithmetic::kEdgeRight, {964, 0, 1024, 600}, &area));
    ExpectRect({964, 500, 1024, 584}, area);

    // An edge the shell never reports leaves the caller's rectangle alone.
    area = {1, 2, 3, 4};
    EXPECT_FALSE(TrayArithmetic::AreaFromTaskbar(4, {0, 0, 60, 768}, &area));
    ExpectRect({1, 2, 3, 4}, area);

    ExpectRect({874, 708, 1024, 738}, TrayArithmetic::AreaFromWorkArea({0, 0, 1024, 738}));
    ExpectRect({1770, 1010, 1920, 1040}, TrayArithmetic::AreaFromWorkArea({100, 40, 1920, 1040}));
}

TEST(TrayArithmetic, AnimationEndsAfterMoreThanItsWholeSeconds)
{
    EXPECT_EQ(3u, TrayArithmetic::ElapsedWholeSeconds(1000, 4499));
    EXPECT_EQ(4u, TrayArithmetic::ElapsedWholeSeconds(1000, 4500));
    EXPECT_EQ(0u, TrayArithmetic::ElapsedWholeSeconds(5000, 4000));
    // Three seconds: 3.4 s rounds to 3 (not more than 3), 3.5 s rounds to 4.
    EXPECT_FALSE(TrayArithmetic::AnimationExpired(0, 3499, 3));
    EXPECT_TRUE(TrayArithmetic::AnimationExpired(0, 3500, 3));
    // Tick counts beyond 32 bits (a machine up for more than 49 days).
    EXPECT_TRUE(TrayArithmetic::AnimationExpired(0x100000000ull, 0x100000000ull + 5000, 3));
    // No limit: never expires.
    EXPECT_FALSE(TrayArithmetic::AnimationExpired(0, 1000000000, 0));
    EXPECT_FALSE(TrayArithmetic::AnimationExpired(0, 1000000000, -1));
}
