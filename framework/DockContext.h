// CDockContext: one drag of a bar with the mouse, from the press on its gripper
// (or on its floating window's caption) to the release. While the button is held
// an outline follows the pointer: a thin one in the bar's docked shape while the
// pointer is near a side of the frame that both the frame and the bar allow, a
// thick one in its floating shape elsewhere, or anywhere while Ctrl is held.
// The release docks the bar at that side or floats it at the outline. Esc, the
// right button or a lost capture cancel; a press that never moves past the
// system's drag threshold changes nothing (so the first click of a double-click
// on a floating bar's caption leaves it where it is).
#pragma once

#include <windows.h>

class CControlBar;
class CFrameWnd;

class CDockContext
{
public:
    explicit CDockContext(CControlBar* pBar);
    CDockContext(const CDockContext&) = delete;
    CDockContext& operator=(const CDockContext&) = delete;

    // Runs the drag that starts at ptScreen in a message loop of its own, the bar
    // holding the mouse capture; other messages are dispatched meanwhile, and a
    // WM_QUIT ends the drag and is posted again. TRUE when the bar was docked or
    // floated.
    BOOL Track(POINT ptScreen);

private:
    // AFX_IDW_DOCKBAR_* of the side the pointer is at, or 0 for floating.
    UINT TargetAt(POINT ptScreen) const;
    // Where the bar would go (screen coordinates), for the outline.
    RECT OutlineAt(UINT nTarget, POINT ptScreen) const;
    void Move(POINT ptScreen);
    // Draws or (drawn again) erases the outline.
    void InvertOutline() const;

    CControlBar* const m_pBar;
    CFrameWnd* const m_pFrame;
    POINT m_ptStart = {};
    POINT m_ptLast = {};
    POINT m_ptOffset = {}; // the pointer's offset from the dragged window's corner
    SIZE m_szHorz = {};    // the bar docked in a row, in a column, and floating
    SIZE m_szVert = {};
    SIZE m_szFloat = {};
    BOOL m_bMoved = FALSE;
    BOOL m_bDrawn = FALSE;
    RECT m_rcOutline = {};
    int m_nOutlineWidth = 0;
};
