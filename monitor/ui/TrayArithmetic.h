// TrayArithmetic: the pure arithmetic of the notification-area icon, kept free of
// windows.h so it can be checked on its own: where the notification area lies when
// only the taskbar or the work area is known, how the clock narrows it, and how
// long an icon animation has run.
#pragma once

namespace TrayArithmetic
{

// Same layout as the Windows RECT.
struct Rect
{
    long left;
    long top;
    long right;
    long bottom;
};

// Screen edges a taskbar can sit on (the values of ABE_LEFT ... ABE_BOTTOM).
constexpr unsigned kEdgeLeft = 0;
constexpr unsigned kEdgeTop = 1;
constexpr unsigned kEdgeRight = 2;
constexpr unsigned kEdgeBottom = 3;

// The notification area without the clock: on a vertical taskbar (the clock ends
// more than 5 pixels above the area's bottom) the part below the clock, otherwise
// the part left of the clock.
Rect AdjustAreaForClock(Rect area, const Rect& clock);

// Estimated notification area at the end of a taskbar on the given edge: a box
// ending 16 pixels before the taskbar's far end, 84 pixels long. False (area
// untouched) for an unknown edge.
bool AreaFromTaskbar(unsigned edge, const Rect& taskbar, Rect* area);

// Estimated notification area when nothing but the work area is known: a 150 by
// 30 box in its bottom-right corner.
Rect AreaFromWorkArea(const Rect& workArea);

// Whole seconds between two millisecond tick counts, rounded to the nearest second
// (0 when the clock seems to run backwards).
unsigned long long ElapsedWholeSeconds(unsigned long long startMs, unsigned long long nowMs);

// True when an animation limited to `seconds` (0 or less: unlimited) has run longer.
bool AnimationExpired(unsigned long long startMs, unsigned long long nowMs, int seconds);

} // namespace TrayArithmetic
