// CMiniDockFrameWnd: the small tool window (WS_EX_TOOLWINDOW: a thin caption and
// no task-bar button) that holds one floating bar. It is owned by the bar's frame,
// so it stays in front of the frame and is hidden while the frame is minimised.
// Its caption drags the bar (to dock it again or to float it elsewhere); a
// double-click on the caption docks the bar back at the side it was docked at
// before; its close box hides the bar (View > Toolbar shows it again).
// The bar owns its floating window and keeps it, hidden, while it is docked.
#pragma once

#include "Wnd.h"

class CControlBar;

class CMiniDockFrameWnd : public CWnd
{
public:
    // Creates the window hidden; its owner is the bar's frame.
    BOOL Create(CControlBar* pBar);
    // Outer size of the window around a bar of size szBar.
    static SIZE CalcWindowSize(SIZE szBar);

protected:
    LRESULT OnNcLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcLButtonDblClk(WPARAM wParam, LPARAM lParam);
    void OnClose();

    DECLARE_MESSAGE_MAP()

private:
    CControlBar* m_pBar = nullptr;
};
