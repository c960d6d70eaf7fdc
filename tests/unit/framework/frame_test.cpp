// Frames made from resources: command routing view -> frame -> application,
// the command user interface (menus on pop-up, tool-bar buttons and indicators at
// idle, disabled commands refused), accelerators, layout of the bars and the
// view, the status bar's texts, and how a frame closes.
#include "ControlBar.h"
#include "CmdUI.h"
#include "FrameWnd.h"
#include "TestApp.h"
#include "TestResource.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// What the objects saw; frames delete themselves, so it lives outside them.
struct FrameLog
{
    int nViewOnly = 0;
    int nViewBoth = 0;
    int nFrameOnly = 0;
    int nFrameBoth = 0;
    int nClears = 0;
    int nCopies = 0;
    bool bCanCopy = false;
    bool bFrameDeleted = false;
};
FrameLog g_log;

class CTestView : public CWnd
{
public:
    BOOL Create(CWnd* pParent)
    {
        return CreateEx(0, AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, pParent->m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)));
    }
    void OnViewOnly() { ++g_log.nViewOnly; }
    void OnBoth() { ++g_log.nViewBoth; }
    void OnEditCopy() { ++g_log.nCopies; }
    void OnUpdateEditCopy(CCmdUI* pCmdUI) { pCmdUI->Enable(g_log.bCanCopy); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestView, CWnd)
ON_COMMAND(ID_TEST_VIEWONLY, OnViewOnly)
ON_COMMAND(ID_TEST_BOTH, OnBoth)
ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
END_MESSAGE_MAP()

class CTestFrame : public CFrameWnd
{
public:
    explicit CTestFrame(bool bFailCreate = false) : m_bFailCreate(bFailCreate) {}
    ~CTestFrame() override { g_log.bFrameDeleted = true; }

    CTestView m_wndView;
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;

protected:
    int OnCreate(LPCREATESTRUCTA lpcs)
    {
        if (CFrameWnd::OnCreate(lpcs) == -1 || m_bFailCreate)
            return -1;
        static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                          ID_INDICATOR_SCRL};
        if (!m_wndView.Create(this) ||
            !m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                                   WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS |
                                       CBRS_FLYBY | CBRS_SIZE_DYNAMIC) ||
            !m_wndToolBar.LoadToolBar(IDR_TESTFRAME) || !m_wndStatusBar.Create(this) ||
            !m_wndStatusBar.SetIndicators(indicators, 4))
            return -1;
        EnableDocking(CBRS_ALIGN_ANY);
        m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
        DockControlBar(&m_wndToolBar);
        return 0;
    }
    void OnFrameOnly() { ++g_log.nFrameOnly; }
    void OnBoth() { ++g_log.nFrameBoth; }
    void OnClear() { ++g_log.nClears; }

    DECLARE_MESSAGE_MAP()

private:
    bool m_bFailCreate;
};

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(ID_TEST_FRAMEONLY, OnFrameOnly)
ON_COMMAND(ID_TEST_BOTH, OnBoth)
ON_COMMAND(ID_TEST_CLEAR, OnClear)
END_MESSAGE_MAP()

// Closing only hides it, as a console that keeps running in the background does.
class CHidingFrame : public CTestFrame
{
public:
    void OnClose() { ShowWindow(SW_HIDE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHidingFrame, CTestFrame)
ON_WM_CLOSE()
END_MESSAGE_MAP()

std::string StatusText(HWND hStatusBar, int nPane)
{
    char szText[256] = "";
    if (LOWORD(::SendMessageA(hStatusBar, SB_GETTEXTLENGTHA, nPane, 0)) < sizeof(szText))
        ::SendMessageA(hStatusBar, SB_GETTEXTA, nPane, reinterpret_cast<LPARAM>(szText));
    return szText;
}

bool IsMenuItemGrey(HMENU hMenu, UINT nPos)
{
    return (::GetMenuState(hMenu, nPos, MF_BYPOSITION) & MF_GRAYED) != 0;
}

bool IsMenuItemChecked(HMENU hMenu, UINT nPos)
{
    return (::GetMenuState(hMenu, nPos, MF_BYPOSITION) & MF_CHECKED) != 0;
}

std::string TipText(HWND hTip, HWND hTool, UINT nID)
{
    char szText[80] = "unset";
    TTTOOLINFOA info = {};
    info.cbSize = sizeof(info);
    info.hwnd = hTool;
    info.uId = nID;
    info.lpszText = szText;
    ::SendMessageA(hTip, TTM_GETTEXTA, sizeof(szText), reinterpret_cast<LPARAM>(&info));
    return szText;
}

RECT ChildRect(HWND hParent, HWND hChild)
{
    RECT rc;
    ::GetWindowRect(hChild, &rc);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

RECT ClientOnScreen(HWND hWnd)
{
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    ::MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

POINT ButtonCentre(HWND hToolBar, int nIndex)
{
    RECT rc = {};
    ::SendMessageA(hToolBar, TB_GETITEMRECT, nIndex, reinterpret_cast<LPARAM>(&rc));
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// A press on the bar's gripper: left of the client area of a row, above a column's.
POINT GripperOf(const CToolBar& bar)
{
    return bar.IsHorz() ? POINT{-4, 6} : POINT{6, -4};
}

// A drag by the mouse itself (synthesized input) from ptFrom to ptTo, screen
// coordinates; the input is queued, then handled.
void MouseDrag(POINT ptFrom, POINT ptTo)
{
    const POINT points[] = {ptFrom, ptFrom, ptTo, ptTo};
    const DWORD flags[] = {0, MOUSEEVENTF_LEFTDOWN, 0, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i)
    {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = points[i].x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = points[i].y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags[i];
        ::SendInput(1, &input, sizeof(input));
    }
    PumpPending();
}

// A drag with the left button as the mouse makes it: the press at ptPress (client
// coordinates of hPressed; a caption press when nHitTest is HTCAPTION), then a
// move to ptDrop (screen) and the release there, which reach the bar holding the
// capture. They are queued first: the press runs the drag's own message loop.
void Drag(HWND hBar, HWND hPressed, POINT ptPress, POINT ptDrop, UINT nHitTest = HTCLIENT)
{
    ::ScreenToClient(hBar, &ptDrop);
    ::PostMessageA(hBar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptDrop.x, ptDrop.y));
    ::PostMessageA(hBar, WM_LBUTTONUP, 0, MAKELPARAM(ptDrop.x, ptDrop.y));
    if (nHitTest == HTCLIENT)
        ::SendMessageA(hPressed, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ptPress.x, ptPress.y));
    else
    {
        ::ClientToScreen(hPressed, &ptPress);
        ::SendMessageA(hPressed, WM_NCLBUTTONDOWN, nHitTest, MAKELPARAM(ptPress.x, ptPress.y));
    }
}

class FrameTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_log = FrameLog();
        theApp.m_nAppOnly = 0;
        m_pFrame = new CTestFrame;
        ASSERT_TRUE(m_pFrame->LoadFrame(IDR_TESTFRAME));
        m_hFrame = m_pFrame->m_hWnd;
    }
    void TearDown() override
    {
        if (theApp.m_pMainWnd && theApp.m_pMainWnd->m_hWnd == m_hFrame)
            theApp.m_pMainWnd = nullptr;
        if (::IsWindow(m_hFrame))
            ::DestroyWindow(m_hFrame);
        EXPECT_TRUE(g_log.bFrameDeleted) << "destroying a frame deletes the object";
        SetKeyDown(VK_CONTROL, false);
    }
    // On screen at a known place, as dragging bars needs.
    void ShowFrame()
    {
        ::SetWindowPos(m_hFrame, nullptr, 100, 80, 520, 360, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    LRESULT Command(UINT nID, WORD nCode = 0)
    {
        return ::SendMessageA(m_hFrame, WM_COMMAND, MAKEWPARAM(nID, nCode), 0);
    }

    CTestFrame* m_pFrame = nullptr;
    HWND m_hFrame = nullptr;
};

} // namespace

TEST_F(FrameTest, CommandsGoToTheViewThenTheFrameThenTheApplication)
{
    Command(ID_TEST_BOTH);
    EXPECT_EQ(1, g_log.nViewBoth);
    EXPECT_EQ(0, g_log.nFrameBoth) << "a command the view handles never reaches the frame";
    EXPECT_EQ(0, theApp.m_nAppOnly) << "nor the application";

    Command(ID_TEST_VIEWONLY);
    Command(ID_TEST_FRAMEONLY);
    Command(ID_TEST_APPONLY);
    EXPECT_EQ(1, g_log.nViewOnly);
    EXPECT_EQ(1, g_log.nFrameOnly);
    EXPECT_EQ(1, theApp.m_nAppOnly);

    EXPECT_FALSE(m_pFrame->OnCmdMsg(ID_TEST_NOBODY, CN_COMMAND, nullptr));
    AFX_CMDHANDLERINFO info = {nullptr};
    EXPECT_TRUE(m_pFrame->OnCmdMsg(ID_TEST_APPONLY, CN_COMMAND, &info));
    EXPECT_EQ(&theApp, info.pTarget);
    EXPECT_EQ(1, theApp.m_nAppOnly) << "asking for a handler must not run it";
}

TEST_F(FrameTest, LoadFrameTakesMenuAcceleratorsAndTitleFromResources)
{
    char szTitle[64] = "";
    ::GetWindowTextA(m_hFrame, szTitle, sizeof(szTitle));
    EXPECT_STREQ("Framework Test Frame", szTitle) << "the title is the string up to its first line end";
    EXPECT_EQ(static_cast<DWORD>(WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE),
              m_pFrame->GetStyle() & (WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    HMENU hMenu = ::GetMenu(m_hFrame);
    ASSERT_NE(nullptr, hMenu);
    EXPECT_EQ(3, ::GetMenuItemCount(hMenu));
    EXPECT_NE(nullptr, m_pFrame->m_hAccelTable);
}

TEST_F(FrameTest, AcceleratorKeyBecomesTheCommandUnlessItIsDisabled)
{
    HWND hView = m_pFrame->m_wndView.m_hWnd;
    g_log.bCanCopy = true;
    SetKeyDown(VK_CONTROL, true);
    ::PostMessageA(hView, WM_KEYDOWN, 'C', 0x002E0001);
    PumpPending();
    EXPECT_EQ(1, g_log.nCopies) << "Ctrl+C posted to the view becomes ID_EDIT_COPY";
    ::PostMessageA(hView, WM_KEYDOWN, VK_INSERT, 0x01520001);
    PumpPending();
    EXPECT_EQ(2, g_log.nCopies) << "Ctrl+Insert as well";

    g_log.bCanCopy = false;
    ::PostMessageA(hView, WM_KEYDOWN, 'C', 0x002E0001);
    PumpPending();
    EXPECT_EQ(2, g_log.nCopies) << "Ctrl+C does nothing while Copy is disabled";

    g_log.bCanCopy = true;
    SetKeyDown(VK_CONTROL, false);
    ::PostMessageA(hView, WM_KEYDOWN, 'C', 0x002E0001);
    PumpPending();
    EXPECT_EQ(2, g_log.nCopies) << "a plain C is no accelerator";
}

TEST_F(FrameTest, DisabledCommandIsRefusedFromMenuAndAccelerator)
{
    g_log.bCanCopy = false;
    Command(ID_EDIT_COPY, 0); // as a menu sends it
    Command(ID_EDIT_COPY, 1); // as an accelerator sends it
    EXPECT_EQ(0, g_log.nCopies);
    g_log.bCanCopy = true;
    Command(ID_EDIT_COPY, 1);
    EXPECT_EQ(1, g_log.nCopies);
    // A control notification other than a click is no command.
    ::SendMessageA(m_hFrame, WM_COMMAND, MAKEWPARAM(ID_EDIT_COPY, EN_CHANGE),
                   reinterpret_cast<LPARAM>(m_pFrame->m_wndView.m_hWnd));
    EXPECT_EQ(1, g_log.nCopies);
}

TEST_F(FrameTest, OpeningAPopupGreysItemsThatAreDisabledOrUnhandled)
{
    HMENU hEdit = ::GetSubMenu(::GetMenu(m_hFrame), 1);
    g_log.bCanCopy = false;
    ::SendMessageA(m_hFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hEdit), MAKELPARAM(1, FALSE));
    EXPECT_FALSE(IsMenuItemGrey(hEdit, 0)) << "Clear: the frame handles it";
    EXPECT_TRUE(IsMenuItemGrey(hEdit, 2)) << "Copy: its update handler disables it";
    EXPECT_TRUE(IsMenuItemGrey(hEdit, 3)) << "Nobody: no handler anywhere";

    g_log.bCanCopy = true;
    ::SendMessageA(m_hFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hEdit), MAKELPARAM(1, FALSE));
    EXPECT_FALSE(IsMenuItemGrey(hEdit, 2));
    EXPECT_TRUE(IsMenuItemGrey(hEdit, 3));
}

TEST_F(FrameTest, ViewMenuShowsAndHidesTheBarsWithCheckMarks)
{
    HMENU hView = ::GetSubMenu(::GetMenu(m_hFrame), 2);
    ::SendMessageA(m_hFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), MAKELPARAM(2, FALSE));
    EXPECT_TRUE(IsMenuItemChecked(hView, 0));
    EXPECT_TRUE(IsMenuItemChecked(hView, 1));
    EXPECT_FALSE(IsMenuItemGrey(hView, 0));

    Command(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(m_pFrame->m_wndToolBar.GetStyle() & WS_VISIBLE);
    ::SendMessageA(m_hFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), MAKELPARAM(2, FALSE));
    EXPECT_FALSE(IsMenuItemChecked(hView, 0));
    EXPECT_TRUE(IsMenuItemChecked(hView, 1));
    RECT rcView = ChildRect(m_hFrame, m_pFrame->m_wndView.m_hWnd);
    EXPECT_EQ(0, rcView.top) << "without the tool bar the view starts at the top";

    Command(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(m_pFrame->m_wndToolBar.GetStyle() & WS_VISIBLE);
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(m_pFrame->m_wndStatusBar.GetStyle() & WS_VISIBLE);
    RECT rcClient;
    ::GetClientRect(m_hFrame, &rcClient);
    rcView = ChildRect(m_hFrame, m_pFrame->m_wndView.m_hWnd);
    EXPECT_EQ(rcClient.bottom, rcView.bottom) << "without the status bar the view reaches the bottom";
}

TEST_F(FrameTest, ViewFillsTheAreaBetweenTheBarsAfterAResize)
{
    for (const SIZE size : {SIZE{400, 300}, SIZE{640, 420}})
    {
        ::SetWindowPos(m_hFrame, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
        RECT rcClient;
        ::GetClientRect(m_hFrame, &rcClient);
        const RECT rcTool = ChildRect(m_hFrame, m_pFrame->m_wndToolBar.m_hWnd);
        const RECT rcStatus = ChildRect(m_hFrame, m_pFrame->m_wndStatusBar.m_hWnd);
        const RECT rcView = ChildRect(m_hFrame, m_pFrame->m_wndView.m_hWnd);
        EXPECT_EQ(0, rcTool.top);
        EXPECT_GT(rcTool.bottom, 15) << "the tool bar is as high as its buttons";
        EXPECT_EQ(rcClient.bottom, rcStatus.bottom);
        EXPECT_LT(rcStatus.top, rcStatus.bottom);
        EXPECT_EQ(rcTool.bottom, rcView.top);
        EXPECT_EQ(rcStatus.top, rcView.bottom);
        EXPECT_EQ(0, rcView.left);
        EXPECT_EQ(rcClient.right, rcView.right);
        EXPECT_EQ(rcClient.right, rcStatus.right);
    }
}

TEST_F(FrameTest, StatusBarShowsReadyAndTheSelectedItemsPrompt)
{
    HWND hStatus = m_pFrame->m_wndStatusBar.m_hWnd;
    EXPECT_EQ("Ready", StatusText(hStatus, 0));
    HMENU hEdit = ::GetSubMenu(::GetMenu(m_hFrame), 1);
    ::SendMessageA(m_hFrame, WM_MENUSELECT, MAKEWPARAM(ID_EDIT_COPY, MF_HILITE),
                   reinterpret_cast<LPARAM>(hEdit));
    EXPECT_EQ("Copy the selection", StatusText(hStatus, 0)) << "the prompt is the string up to its line end";
    ::SendMessageA(m_hFrame, WM_MENUSELECT, MAKEWPARAM(1, MF_POPUP | MF_HILITE),
                   reinterpret_cast<LPARAM>(::GetMenu(m_hFrame)));
    EXPECT_EQ("", StatusText(hStatus, 0)) << "a pop-up has no prompt";
    ::SendMessageA(m_hFrame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ("Ready", StatusText(hStatus, 0)) << "the menu closed";
}

TEST_F(FrameTest, IdleTimeUpdatesToolBarButtonsAndKeyIndicators)
{
    HWND hTool = m_pFrame->m_wndToolBar.m_hWnd;
    HWND hStatus = m_pFrame->m_wndStatusBar.m_hWnd;
    theApp.m_pMainWnd = m_pFrame;
    m_pFrame->ShowWindow(SW_SHOWNOACTIVATE);

    g_log.bCanCopy = false;
    SetKeyToggled(VK_CAPITAL, true);
    SetKeyToggled(VK_NUMLOCK, false);
    EXPECT_FALSE(theApp.OnIdle(0)) << "nothing left to do after one pass";
    EXPECT_FALSE(::SendMessageA(hTool, TB_ISBUTTONENABLED, ID_EDIT_COPY, 0)) << "disabled by its handler";
    EXPECT_FALSE(::SendMessageA(hTool, TB_ISBUTTONENABLED, ID_FILE_SAVE, 0)) << "nobody handles Save here";
    EXPECT_TRUE(::SendMessageA(hTool, TB_ISBUTTONENABLED, ID_TEST_CLEAR, 0));
    EXPECT_EQ("CAP", StatusText(hStatus, 1));
    EXPECT_EQ("", StatusText(hStatus, 2));

    g_log.bCanCopy = true;
    SetKeyToggled(VK_CAPITAL, false);
    theApp.OnIdle(0);
    EXPECT_TRUE(::SendMessageA(hTool, TB_ISBUTTONENABLED, ID_EDIT_COPY, 0));
    EXPECT_EQ("", StatusText(hStatus, 1));
    EXPECT_EQ("Ready", StatusText(hStatus, 0)) << "the message pane is no indicator";
}

TEST_F(FrameTest, ToolBarComesFromItsResourceWithTipsFromTheStrings)
{
    HWND hTool = m_pFrame->m_wndToolBar.m_hWnd;
    ASSERT_EQ(4, ::SendMessageA(hTool, TB_BUTTONCOUNT, 0, 0));
    const int expectedIds[] = {ID_TEST_CLEAR, ID_FILE_SAVE, 0, ID_EDIT_COPY};
    for (int i = 0; i < 4; ++i)
    {
        TBBUTTON button = {};
        ::SendMessageA(hTool, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(i == 2, (button.fsStyle & TBSTYLE_SEP) != 0) << i;
        if (i != 2)
        {
            EXPECT_EQ(expectedIds[i], button.idCommand) << i;
        }
    }
    EXPECT_EQ(MAKELONG(16 + 7, 15 + 7), ::SendMessageA(hTool, TB_GETBUTTONSIZE, 0, 0));

    // The tool bar's own tool tip asks the tool bar for a button's text.
    HWND hTip = reinterpret_cast<HWND>(::SendMessageA(hTool, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(nullptr, hTip);
    EXPECT_EQ("Copy", TipText(hTip, hTool, ID_EDIT_COPY)) << "the part after the line end";
    EXPECT_EQ("", TipText(hTip, hTool, ID_TEST_CLEAR)) << "a string without a tip part gives no tip";

    // The same request in its wide form.
    NMTTDISPINFOW infoW = {};
    infoW.hdr.code = TTN_GETDISPINFOW;
    infoW.hdr.idFrom = ID_FILE_SAVE;
    ::SendMessageA(hTool, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&infoW));
    EXPECT_STREQ(L"Save", infoW.lpszText);
}

TEST_F(FrameTest, DockedBarShowsAGripperAtItsStart)
{
    ShowFrame();
    CToolBar& bar = m_pFrame->m_wndToolBar;
    for (const UINT nSide : {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_LEFT})
    {
        m_pFrame->DockControlBar(&bar, nSide);
        const bool bRow = nSide == AFX_IDW_DOCKBAR_TOP;
        RECT rcWindow;
        ::GetWindowRect(bar.m_hWnd, &rcWindow);
        const RECT rcClient = ClientOnScreen(bar.m_hWnd);
        EXPECT_EQ(8, bRow ? rcClient.left - rcWindow.left : rcClient.top - rcWindow.top) << nSide;
        EXPECT_EQ(bRow ? rcWindow.top : rcWindow.left, bRow ? rcClient.top : rcClient.left) << nSide;
        // A raised ridge across the strip: light edge first, dark edge after it.
        ::RedrawWindow(bar.m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        HDC hDC = ::GetWindowDC(bar.m_hWnd);
        const int nAcross =
            bRow ? (rcWindow.bottom - rcWindow.top) / 2 : (rcWindow.right - rcWindow.left) / 2;
        EXPECT_EQ(::GetSysColor(COLOR_BTNHIGHLIGHT),
                  bRow ? ::GetPixel(hDC, 2, nAcross) : ::GetPixel(hDC, nAcross, 2));
        EXPECT_EQ(::GetSysColor(COLOR_BTNSHADOW),
                  bRow ? ::GetPixel(hDC, 4, nAcross) : ::GetPixel(hDC, nAcross, 4));
        ::ReleaseDC(bar.m_hWnd, hDC);
    }
    ASSERT_TRUE(m_pFrame->FloatControlBar(&bar, POINT{300, 300}));
    RECT rcWindow;
    ::GetWindowRect(bar.m_hWnd, &rcWindow);
    const RECT rcClient = ClientOnScreen(bar.m_hWnd);
    EXPECT_TRUE(::EqualRect(&rcWindow, &rcClient)) << "no gripper while floating";
}

TEST_F(FrameTest, DraggingTheGripperDocksAtEachSideOrFloatsAndTheViewTakesTheRest)
{
    ShowFrame();
    CToolBar& bar = m_pFrame->m_wndToolBar;
    const RECT rcScreen = ClientOnScreen(m_hFrame);
    const LONG xMid = (rcScreen.left + rcScreen.right) / 2;
    const LONG yMid = (rcScreen.top + rcScreen.bottom) / 2;
    const struct
    {
        POINT ptDrop;
        DWORD dwAlign;
    } drops[] = {{{xMid, rcScreen.bottom - 4}, CBRS_ALIGN_BOTTOM},
                 {{rcScreen.left + 3, yMid}, CBRS_ALIGN_LEFT},
                 {{rcScreen.right - 3, yMid}, CBRS_ALIGN_RIGHT},
                 {{xMid, rcScreen.top + 3}, CBRS_ALIGN_TOP}};
    for (const auto& drop : drops)
    {
        // The first time by the mouse itself, which presses the gripper on screen.
        POINT ptGripper = GripperOf(bar);
        ::ClientToScreen(bar.m_hWnd, &ptGripper);
        if (drop.dwAlign == CBRS_ALIGN_BOTTOM)
            MouseDrag(ptGripper, drop.ptDrop);
        else
            Drag(bar.m_hWnd, bar.m_hWnd, GripperOf(bar), drop.ptDrop);
        EXPECT_EQ(drop.dwAlign, bar.GetBarStyle() & CBRS_ALIGN_ANY);
        RECT rcClient;
        ::GetClientRect(m_hFrame, &rcClient);
        const RECT rcBar = ChildRect(m_hFrame, bar.m_hWnd);
        const RECT rcStatus = ChildRect(m_hFrame, m_pFrame->m_wndStatusBar.m_hWnd);
        EXPECT_EQ(rcClient.bottom, rcStatus.bottom) << "the status bar stays outermost";
        // The bar lies along its whole side (above the status bar); the view has the rest.
        RECT rcFree = {0, 0, rcClient.right, rcStatus.top};
        RECT rcExpectedBar = rcFree;
        if (drop.dwAlign == CBRS_ALIGN_TOP)
            rcFree.top = rcExpectedBar.bottom = rcBar.bottom;
        else if (drop.dwAlign == CBRS_ALIGN_BOTTOM)
            rcFree.bottom = rcExpectedBar.top = rcBar.top;
        else if (drop.dwAlign == CBRS_ALIGN_LEFT)
            rcFree.left = rcExpectedBar.right = rcBar.right;
        else
            rcFree.right = rcExpectedBar.left = rcBar.left;
        EXPECT_TRUE(::EqualRect(&rcExpectedBar, &rcBar)) << drop.dwAlign;
        const RECT rcView = ChildRect(m_hFrame, m_pFrame->m_wndView.m_hWnd);
        EXPECT_TRUE(::EqualRect(&rcFree, &rcView)) << drop.dwAlign;
        EXPECT_GT(rcFree.right - rcFree.left, 400) << "the bar is thin: " << drop.dwAlign;
        EXPECT_GT(rcFree.bottom - rcFree.top, 200) << drop.dwAlign;
        if (drop.dwAlign & CBRS_ORIENT_VERT)
        {
            EXPECT_GT(ButtonCentre(bar.m_hWnd, 3).y, ButtonCentre(bar.m_hWnd, 1).y) << "a column";
        }
    }

    // Away from the sides the bar floats in a tool window of the frame.
    Drag(bar.m_hWnd, bar.m_hWnd, GripperOf(bar), POINT{xMid, yMid});
    ASSERT_TRUE(bar.IsFloating());
    const HWND hFloat = ::GetParent(bar.m_hWnd);
    EXPECT_NE(m_hFrame, hFloat);
    EXPECT_TRUE(::IsWindowVisible(hFloat));
    EXPECT_EQ(m_hFrame, ::GetWindow(hFloat, GW_OWNER));
    EXPECT_NE(0, ::GetWindowLongA(hFloat, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_GT(ButtonCentre(bar.m_hWnd, 3).x, ButtonCentre(bar.m_hWnd, 1).x) << "a row";
    RECT rcClient;
    ::GetClientRect(m_hFrame, &rcClient);
    const RECT rcView = ChildRect(m_hFrame, m_pFrame->m_wndView.m_hWnd);
    EXPECT_EQ(0, rcView.top);
    EXPECT_EQ(0, rcView.left);
    EXPECT_EQ(rcClient.right, rcView.right);
    EXPECT_EQ(ChildRect(m_hFrame, m_pFrame->m_wndStatusBar.m_hWnd).top, rcView.bottom);
}

TEST_F(FrameTest, FloatingBarDocksAgainByItsCaption)
{
    ShowFrame();
    CToolBar& bar = m_pFrame->m_wndToolBar;
    const RECT rcScreen = ClientOnScreen(m_hFrame);
    const POINT ptOverTheTop = {rcScreen.left + 60, rcScreen.top - 8}; // where a drop docks at the top
    m_pFrame->DockControlBar(&bar, AFX_IDW_DOCKBAR_RIGHT);
    ASSERT_TRUE(m_pFrame->FloatControlBar(&bar, ptOverTheTop));
    const HWND hFloat = ::GetParent(bar.m_hWnd);
    RECT rcFloat;
    ::GetWindowRect(hFloat, &rcFloat);
    EXPECT_EQ(ptOverTheTop.x, rcFloat.left);
    const POINT ptCaption = {10, -4}; // client coordinates of the floating window

    // The first click of a double-click, which does not move, changes nothing;
    // the double-click docks the bar back at the side it was docked at.
    POINT ptSame = ptCaption;
    ::ClientToScreen(hFloat, &ptSame);
    Drag(bar.m_hWnd, hFloat, ptCaption, ptSame, HTCAPTION);
    EXPECT_TRUE(bar.IsFloating());
    ::SendMessageA(hFloat, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(ptSame.x, ptSame.y));
    EXPECT_EQ(static_cast<DWORD>(CBRS_ALIGN_RIGHT), bar.GetBarStyle() & (CBRS_ALIGN_ANY | CBRS_FLOATING));
    EXPECT_EQ(m_hFrame, ::GetParent(bar.m_hWnd));
    EXPECT_FALSE(::IsWindowVisible(hFloat));

    // Dragged by its caption over the top of the frame, it docks there.
    ASSERT_TRUE(m_pFrame->FloatControlBar(&bar, POINT{200, 200}));
    Drag(bar.m_hWnd, hFloat, ptCaption, POINT{rcScreen.left + 60, rcScreen.top + 2}, HTCAPTION);
    EXPECT_EQ(static_cast<DWORD>(CBRS_ALIGN_TOP), bar.GetBarStyle() & (CBRS_ALIGN_ANY | CBRS_FLOATING));
    EXPECT_EQ(0, ChildRect(m_hFrame, bar.m_hWnd).top);
}

TEST_F(FrameTest, FloatingBarRunsCommandsAndHidesWithTheViewMenuAndTheFrame)
{
    ShowFrame();
    CToolBar& bar = m_pFrame->m_wndToolBar;
    ASSERT_TRUE(m_pFrame->FloatControlBar(&bar, POINT{150, 150}));
    const HWND hFloat = ::GetParent(bar.m_hWnd);
    const POINT ptClear = ButtonCentre(bar.m_hWnd, 0);
    ::SendMessageA(bar.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ptClear.x, ptClear.y));
    ::SendMessageA(bar.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(ptClear.x, ptClear.y));
    EXPECT_EQ(1, g_log.nClears) << "its buttons' commands reach the frame";
    g_log.bCanCopy = false;
    ::SendMessageA(m_hFrame, WM_IDLEUPDATECMDUI, TRUE, 0);
    EXPECT_FALSE(::SendMessageA(bar.m_hWnd, TB_ISBUTTONENABLED, ID_EDIT_COPY, 0)) << "updated at idle time";

    HMENU hView = ::GetSubMenu(::GetMenu(m_hFrame), 2);
    for (const bool bShown : {false, true})
    {
        Command(ID_VIEW_TOOLBAR);
        EXPECT_EQ(bShown, ::IsWindowVisible(hFloat) != FALSE);
        ::SendMessageA(m_hFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), MAKELPARAM(2, FALSE));
        EXPECT_EQ(bShown, IsMenuItemChecked(hView, 0));
    }
    m_pFrame->ShowWindow(SW_HIDE);
    EXPECT_FALSE(::IsWindowVisible(hFloat)) << "it goes with the frame";
    m_pFrame->ShowWindow(SW_SHOWNOACTIVATE);
    EXPECT_TRUE(::IsWindowVisible(hFloat));
}

TEST_F(FrameTest, FlyByShowsTheButtonsPromptUntilThePointerLeaves)
{
    HWND hTool = m_pFrame->m_wndToolBar.m_hWnd;
    HWND hStatus = m_pFrame->m_wndStatusBar.m_hWnd;
    const POINT ptCopy = ButtonCentre(hTool, 3);
    const POINT ptClear = ButtonCentre(hTool, 0);
    ::SendMessageA(hTool, WM_MOUSEMOVE, 0, MAKELPARAM(ptCopy.x, ptCopy.y));
    EXPECT_EQ("Copy the selection", StatusText(hStatus, 0));
    ::SendMessageA(hTool, WM_MOUSEMOVE, 0, MAKELPARAM(ptClear.x, ptClear.y));
    EXPECT_EQ("Clear All Messages", StatusText(hStatus, 0));
    ::SendMessageA(hTool, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ("Ready", StatusText(hStatus, 0));
}

TEST_F(FrameTest, OverriddenCloseHidesWhileTheBaseCloseStillDestroys)
{
    // Replace the fixture's frame by one whose WM_CLOSE only hides.
    ::DestroyWindow(m_hFrame);
    g_log.bFrameDeleted = false;
    CHidingFrame* pFrame = new CHidingFrame;
    ASSERT_TRUE(pFrame->LoadFrame(IDR_TESTFRAME));
    m_hFrame = pFrame->m_hWnd;
    pFrame->ShowWindow(SW_SHOWNOACTIVATE);

    ::SendMessageA(m_hFrame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(m_hFrame));
    EXPECT_FALSE(::IsWindowVisible(m_hFrame));
    EXPECT_FALSE(g_log.bFrameDeleted);

    pFrame->CFrameWnd::OnClose();
    EXPECT_FALSE(::IsWindow(m_hFrame));
    EXPECT_TRUE(g_log.bFrameDeleted);
}

namespace
{

bool g_bSafetyTimerFired = false;

void CALLBACK SafetyTimer(HWND, UINT, UINT_PTR, DWORD)
{
    g_bSafetyTimerFired = true;
    ::PostQuitMessage(99);
}

} // namespace

TEST_F(FrameTest, ClosingTheMainFrameDestroysItAndEndsTheMessageLoop)
{
    theApp.m_pMainWnd = m_pFrame;
    theApp.m_nExitInstance = 0;
    ::PostMessageA(m_hFrame, WM_CLOSE, 0, 0);
    g_bSafetyTimerFired = false;
    const UINT_PTR nTimer = ::SetTimer(nullptr, 0, 5000, &SafetyTimer);
    const int nExitCode = theApp.Run();
    ::KillTimer(nullptr, nTimer);

    EXPECT_FALSE(g_bSafetyTimerFired) << "the loop had to be stopped from outside";
    EXPECT_EQ(0, nExitCode);
    EXPECT_EQ(1, theApp.m_nExitInstance);
    EXPECT_FALSE(::IsWindow(m_hFrame));
    EXPECT_TRUE(g_log.bFrameDeleted);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
}

TEST(FrameCreation, FailedCreationDeletesTheFrameAndClearsTheMainWindow)
{
    g_log = FrameLog();
    CTestFrame* pFrame = new CTestFrame(true);
    theApp.m_pMainWnd = pFrame;
    EXPECT_FALSE(pFrame->LoadFrame(IDR_TESTFRAME));
    EXPECT_TRUE(g_log.bFrameDeleted);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    // The ended main window asked the loop to end: take that request away again.
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}
