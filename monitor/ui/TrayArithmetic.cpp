#include "TrayArithmetic.h"

namespace TrayArithmetic
{

namespace
{
// How far the clock may end above the area's bottom on a horizontal taskbar.
constexpr long kClockSlack = 5;
// Taskbar estimate: the area starts kAreaStartInset and ends kAreaEndInset
// before the taskbar's far end.
constexpr long kAreaEndInset = 16;
constexpr long kAreaStartInset = 100;
// Work-area estimate.
constexpr long kWorkAreaBoxWidth = 150;
constexpr long kWorkAreaBoxHeight = 30;
} // namespace

Rect AdjustAreaForClock(Rect area, const Rect& clock)
{
    if (clock.bottom < area.bottom - kClockSlack)
        area.top = clock.bottom;
    else
        area.right = clock.left;
    return area;
}

bool AreaFromTaskbar(unsigned edge, const Rect& taskbar, Rect* area)
{
    switch (edge)
    {
    case kEdgeLeft:
    case kEdgeRight:
        *area = {taskbar.left, taskbar.bottom - kAreaStartInset, taskbar.right,
                 taskbar.bottom - kAreaEndInset};
        return true;
    case kEdgeTop:
    case kEdgeBottom:
        *area = {taskbar.right - kAreaStartInset, taskbar.top, taskbar.right - kAreaEndInset, taskbar.bottom};
        return true;
    default:
        return false;
    }
}

Rect AreaFromWorkArea(const Rect& workArea)
{
    return {workArea.right - kWorkAreaBoxWidth, workArea.bottom - kWorkAreaBoxHeight, workArea.right,
            workArea.bottom};
}

unsigned long long ElapsedWholeSeconds(unsigned long long startMs, unsigned long long nowMs)
{
    if (nowMs < startMs)
        return 0;
    return (nowMs - startMs + 500) / 1000;
}

bool AnimationExpired(unsigned long long startMs, unsigned long long nowMs, int seconds)
{
    return seconds > 0 && ElapsedWholeSeconds(startMs, nowMs) > static_cast<unsigned long long>(seconds);
}

} // namespace TrayArithmetic
