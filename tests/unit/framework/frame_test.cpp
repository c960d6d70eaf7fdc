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
