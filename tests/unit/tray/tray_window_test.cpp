// Hiding a top-level window into the tray and bringing it back, and where the
// notification area is.
#include "tray_test_support.h"

#include <gtest/gtest.h>

namespace
{

// A visible top-level window that has not been activated (Wine's X11 driver then
// leaves it to us instead of a window manager, and hiding it is immediate).
class CTopWindow : public CWnd
{
public:
    BOOL Create(HWND hOwner = nullptr)
    {
        if (!CreateEx(0, AfxRegisterWndClass(0), "top", WS_POPUP, 40, 50, 200, 100, hOwner, nullptr))
            return FALSE;
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
        return TRUE;
    }
};

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

TEST(TrayWindow, HidesIntoTheTrayAndComesBack)
{
    CTopWindow wnd;
    ASSERT_TRUE(wnd.Create());
    RECT rcBefore;
    wnd.GetWindowRect(&rcBefore);

    ASSERT_TRUE(CSystemTray::HideWindowToTray(&wnd, TRUE));
    EXPECT_FALSE(wnd.IsWindowVisible());
    // Owned by a hidden window: no taskbar button.
    HWND hOwner = ::GetWindow(wnd.m_hWnd, GW_OWNER);
    ASSERT_NE(nullptr, hOwner);
    EXPECT_FALSE(::IsWindowVisible(hOwner));
    EXPECT_EQ(nullptr, ::GetParent(hOwner));
    RECT rc;
    wnd.GetWindowRect(&rc);
    EXPECT_TRUE(SameRect(rcBefore, rc));

    ASSERT_TRUE(CSystemTray::RestoreWindowFromTray(&wnd, TRUE));
    EXPECT_TRUE(wnd.IsWindowVisible());
    EXPECT_EQ(nullptr, ::GetWindow(wnd.m_hWnd, GW_OWNER));
    wnd.GetWindowRect(&rc);
    EXPECT_TRUE(SameRect(rcBefore, rc));
    EXPECT_EQ(wnd.m_hWnd, ::GetActiveWindow());

    // Without animation, and the same hidden owner every time. (Once activated, the
    // window belongs to the X11 window manager protocol and Wine waits two seconds
    // for it to go: the window is left hidden at the end.)
    ASSERT_TRUE(CSystemTray::HideWindowToTray(&wnd, FALSE));
    EXPECT_FALSE(wnd.IsWindowVisible());
    EXPECT_EQ(hOwner, ::GetWindow(wnd.m_hWnd, GW_OWNER));

    // Child windows and missing windows cannot go into the tray.
    CWnd child;
    ASSERT_TRUE(child.CreateEx(0, AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, wnd.m_hWnd,
                               nullptr));
    EXPECT_FALSE(CSystemTray::HideWindowToTray(&child, FALSE));
    EXPECT_NE(0u, child.GetStyle() & WS_VISIBLE);
    EXPECT_FALSE(CSystemTray::HideWindowToTray(nullptr, FALSE));
    EXPECT_FALSE(CSystemTray::DetachFromTaskbar(nullptr));
}

TEST(TrayWindow, NotificationAreaLiesOnTheScreen)
{
    RECT rc = {};
    ASSERT_TRUE(CSystemTray::GetNotificationAreaRect(&rc));
    EXPECT_FALSE(::IsRectEmpty(&rc));
    EXPECT_GE(rc.left, 0);
    EXPECT_GE(rc.top, 0);
    EXPECT_LE(rc.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(rc.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_FALSE(CSystemTray::GetNotificationAreaRect(nullptr));
}
