// Windows attached to objects: messages reach the map from the very first one,
// unhandled ones get default processing, destruction detaches, any thread finds
// a window's object, a superclassed system control keeps its own behaviour and
// takes the class styles added to it.
#include "WinApp.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{

class CProbeWnd : public CWnd
{
public:
    int m_nCreates = 0;
    int m_nDestroys = 0;
    bool m_bPostNcDestroy = false;
    int m_nCreateResult = 0;

    int OnCreate(LPCREATESTRUCTA lpcs)
    {
        ++m_nCreates;
        if (CWnd::OnCreate(lpcs) == -1)
            return -1;
        return m_nCreateResult;
    }
    void OnDestroy()
    {
        ++m_nDestroys;
        CWnd::OnDestroy();
    }
    LRESULT OnPing(WPARAM w, LPARAM) { return static_cast<LRESULT>(w) * 2; }
    void PostNcDestroy() override { m_bPostNcDestroy = true; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_MESSAGE(WM_APP + 1, OnPing)
END_MESSAGE_MAP()

class CSubclassedEdit : public CWnd
{
public:
    int m_nChars = 0;
    LRESULT OnChar(WPARAM, LPARAM)
    {
        ++m_nChars;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSubclassedEdit, CWnd)
ON_MESSAGE(WM_CHAR, OnChar)
END_MESSAGE_MAP()

} // namespace

TEST(Window, CreateAttachesDispatchesAndDestroyDetaches)
{
    CProbeWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(1, wnd.m_nCreates);
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
    EXPECT_EQ(42, wnd.SendMessage(WM_APP + 1, 21));
    // Unhandled messages get default processing.
    EXPECT_TRUE(::SetWindowTextA(wnd.m_hWnd, "renamed"));
    char szText[16] = "";
    ::GetWindowTextA(wnd.m_hWnd, szText, sizeof(szText));
    EXPECT_STREQ("renamed", szText);

    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(1, wnd.m_nDestroys);
    EXPECT_TRUE(wnd.m_bPostNcDestroy);
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(Window, AnyThreadFindsTheObjectAndAWindowHasOneObjectAtATime)
{
    CProbeWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    const HWND hWnd = wnd.m_hWnd;
    CWnd* pFound = nullptr;
    std::thread([&] { pFound = CWnd::FromHandlePermanent(hWnd); }).join();
    EXPECT_EQ(&wnd, pFound);

    CWnd other;
    EXPECT_FALSE(other.Attach(hWnd)) << "the window has its object";
    EXPECT_EQ(hWnd, wnd.Detach());
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    EXPECT_TRUE(other.Attach(hWnd));
    EXPECT_EQ(&other, CWnd::FromHandlePermanent(hWnd));
    EXPECT_FALSE(wnd.Attach(hWnd));
    EXPECT_EQ(hWnd, other.Detach());

    ASSERT_TRUE(wnd.Attach(hWnd));
    EXPECT_TRUE(wnd.DestroyWindow());
    std::thread([&] { pFound = CWnd::FromHandlePermanent(hWnd); }).join();
    EXPECT_EQ(nullptr, pFound);
}

TEST(Window, FailingOnCreateFailsCreationCleanly)
{
    CProbeWnd wnd;
    wnd.m_nCreateResult = -1;
    EXPECT_FALSE(wnd.CreateEx(0, AfxRegisterWndClass(0), "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_TRUE(wnd.m_bPostNcDestroy);
}

TEST(Window, SuperclassedControlKeepsItsBehaviour)
{
    ASSERT_TRUE(AfxRegisterSuperclass("EDIT", "FrameworkTestEdit"));
    CSubclassedEdit edit;
    ASSERT_TRUE(edit.CreateEx(0, "FrameworkTestEdit", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr));
    edit.SendMessage(WM_CHAR, 'x', 1);
    edit.SendMessage(WM_CHAR, 'y', 1);
    EXPECT_EQ(2, edit.m_nChars);
    char szText[16] = "";
    ::GetWindowTextA(edit.m_hWnd, szText, sizeof(szText));
    EXPECT_STREQ("xy", szText);

    // A second superclass of the same control with a DC of its own.
    ASSERT_TRUE(AfxRegisterSuperclass("EDIT", "FrameworkTestEditOwnDC", CS_OWNDC));
    CSubclassedEdit owning;
    ASSERT_TRUE(owning.CreateEx(0, "FrameworkTestEditOwnDC", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr));
    EXPECT_NE(0u, ::GetClassLongA(owning.m_hWnd, GCL_STYLE) & CS_OWNDC);
    EXPECT_EQ(0u, ::GetClassLongA(edit.m_hWnd, GCL_STYLE) & CS_OWNDC);
    HDC hFirst = ::GetDC(owning.m_hWnd);
    ::ReleaseDC(owning.m_hWnd, hFirst);
    HDC hSecond = ::GetDC(owning.m_hWnd);
    ::ReleaseDC(owning.m_hWnd, hSecond);
    EXPECT_EQ(hFirst, hSecond) << "the window's own DC every time";
    owning.SendMessage(WM_CHAR, 'z', 1);
    EXPECT_EQ(1, owning.m_nChars);
}
