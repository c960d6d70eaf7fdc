#include "MainFrm.h"

#include "ConsoleColours.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "MonitorSettings.h"
#include "PipeServer.h"
#include "ResourceString.h"
#include "resource.h"

#include <cstdio>
#include <string>

IMPLEMENT_DYNAMIC(CMainFrame, CFrameWnd)

namespace
{

// Styles of the frame's parts.
constexpr DWORD kViewStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE; // 0x50300004
constexpr DWORD kToolBarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY |
                                CBRS_SIZE_DYNAMIC;                     // 0x50402834
constexpr DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM; // 0x50008200

constexpr UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

// The notification-area icon.
constexpr char kTrayTooltip[] = "Marvane App Monitor";
constexpr char kTrayBalloonText[] = "Open Console for TRACE Messages";
constexpr char kTrayBalloonTitle[] = "Marvane App Monitor";
constexpr UINT kTrayBalloonSeconds = 20;
constexpr UINT kTrayDefaultItemPosition = 0; // "Open Console"

static_assert(kViewStyle == 0x50300004, "console view style");
static_assert(kToolBarStyle == 0x50402834, "tool bar style");
static_assert(kStatusBarStyle == 0x50008200, "status bar style");

} // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_SETFOCUS()
ON_REGISTERED_MESSAGE(g_uAppMonUpdateMessage, OnAppMonUpdate)
ON_MESSAGE(WM_REOPENLINEGATE, OnReopenLineGate)
ON_MESSAGE(WM_DRAINCONSOLELINES, OnDrainConsoleLines)
ON_REGISTERED_MESSAGE(g_uFindMessage, OnFindMessage)
ON_COMMAND(ID_FIND, OnFind)
ON_COMMAND(ID_FIND_NEXT, OnFindNext)
ON_COMMAND(ID_FIND_PREVIOUS, OnFindPrevious)
ON_WM_CLOSE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame()
{
    if (m_hListenerThread)
        ::CloseHandle(m_hListenerThread);
}

BOOL CMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra)
{
    if (m_wndView.m_hWnd && m_wndView.OnCmdMsg(nID, nCode, pExtra))
        return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra);
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    cs.lpszClass = AfxRegisterWndClass(0);
    return cs.lpszClass != nullptr;
}

int CMainFrame::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    // 1. The frame itself.
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;

    // 2-4. The console: read-only for the user, banner first.
    const RECT rcEmpty = {0, 0, 0, 0};
    if (!m_wndView.Create(kViewStyle, rcEmpty, this, AFX_IDW_PANE_FIRST))
        return -1;
    m_wndView.SetReadOnly(TRUE);
    // The log file the user chose before gets this run's banner too.
    const std::string strLogFile = Settings::ReadLogFile();
    if (!strLogFile.empty())
        m_wndView.StartLogging(strLogFile.c_str(), FALSE);
    m_wndView.PrintBanner();

    // 5-6. The bars.
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, kToolBarStyle) || !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    if (!m_wndStatusBar.Create(this, kStatusBarStyle) ||
        !m_wndStatusBar.SetIndicators(kIndicators,
                                      static_cast<int>(sizeof(kIndicators) / sizeof(kIndicators[0]))))
        return -1;

    // 7. Docking.
    EnableDocking(CBRS_ALIGN_ANY);
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    // The user's placement, bars and log file from the last time.
    RestoreSettings(strLogFile);

    // 8. The pipe listener. The window is published first, so that the first
    // client's lines already find it; OnDestroy withdraws it again.
    MainWindowLink().Publish(m_hWnd, m_bDebugMode != FALSE, true);
    m_hListenerThread = ::CreateThread(nullptr, 0, &PipeListenerProc, &MainWindowLink(), 0, nullptr);

    // 9. The small icon (the window class has none, so there is no big one).
    HICON hIcon = static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                                  IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                  ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));

    // 10. The notification-area icon, in debug mode only. Its own hidden window
    // receives the shell's notifications; its menu commands and the double
    // click's "Open Console" come here. A shell that refuses the icon (started
    // before the taskbar, or while it restarts) does not keep the monitor from
    // serving: the icon is added when the taskbar announces itself.
    if (!m_bDebugMode)
        return 0;
    m_trayIcon.Create(nullptr, WM_TRAYNOTIFY, kTrayTooltip, hIcon, IDR_TRAYMENU, FALSE, kTrayBalloonText,
                      kTrayBalloonTitle, NIIF_INFO, kTrayBalloonSeconds);
    m_trayIcon.SetCommandTarget(this);
    m_trayIcon.SetDefaultMenuItem(kTrayDefaultItemPosition, TRUE);
    return 0;
}

void CMainFrame::OnSetFocus(CWnd*)
{
    if (m_wndView.m_hWnd)
        m_wndView.SetFocus();
}

LRESULT CMainFrame::OnAppMonUpdate(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 0)
        return 0;
    const char* pszText = reinterpret_cast<const char*>(lParam);
    if (m_bAppendingLines)
    {
        // Something in the append under way let sent messages in (a modal loop, a
        // message box): this line goes in after the lines being appended.
        m_heldLines.emplace_back(wParam, pszText);
        return 0;
    }
    m_bAppendingLines = TRUE;
    // The lines waiting were handed over before this message was handled: the
    // console's order is the order of handing over.
    Console::CConsoleLineQueue& lines = MainWindowLink().Lines();
    Console::CLineGroup group = lines.TakeWaiting();
    AppendGroup(group, pszText, Console::ColourOfClass(wParam));
    lines.MarkShown(group);
    // Its sender does not use the queue: no line of its is on the way.
    DrainLines(0);
    return 0;
}

LRESULT CMainFrame::OnDrainConsoleLines(WPARAM, LPARAM)
{
    // Inside an append under way, the running drain takes the lines once it is done.
    if (m_bAppendingLines)
        return 0;
    m_bAppendingLines = TRUE;
    DrainLines(Console::CConsoleLineQueue::kNextLineWaitMs);
    return 0;
}

void CMainFrame::DrainLines(DWORD dwLingerMs)
{
    Console::CConsoleLineQueue& lines = MainWindowLink().Lines();
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        Console::CLineGroup group = lines.TakeWaiting(m_heldLines.empty() ? dwLingerMs : 0);
        std::vector<std::pair<WPARAM, std::string>> held;
        held.swap(m_heldLines);
        if (group.Size() == 0 && held.empty())
            break;
        AppendGroup(group, nullptr, 0);
        lines.MarkShown(group);
        for (const auto& line : held)
            m_wndView.AppendLine(line.second.c_str(), Console::ColourOfClass(line.first));
        // Lines that keep coming must not keep other messages out for long.
        if (::GetTickCount() - dwStart >= kDrainSliceMs && m_heldLines.empty())
        {
            if (lines.PauseDrain())
                ResumeDrainLater();
            break;
        }
    }
    m_bAppendingLines = FALSE;
    // Lines from many clients must not keep the Exit command and COM calls waiting.
    MainWindowLink().LetPostedMessagesThrough();
}

namespace
{

// Drains once the input waiting has been handled (timer messages come last).
void CALLBACK ResumeDrainOnTimer(HWND hWnd, UINT, UINT_PTR nIdEvent, DWORD)
{
    ::KillTimer(hWnd, nIdEvent);
    ::SendMessageA(hWnd, WM_DRAINCONSOLELINES, 0, 0);
}

} // namespace

void CMainFrame::ResumeDrainLater()
{
    // A posted message comes before input and painting, and lines that keep
    // coming would keep both out: the console is painted now, and waiting input
    // is let in before the next drain.
    const UINT uWaiting = HIWORD(::GetQueueStatus(QS_PAINT | QS_INPUT));
    if (uWaiting & QS_PAINT)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if ((uWaiting & QS_INPUT) &&
        ::SetTimer(m_hWnd, kResumeDrainTimerId, USER_TIMER_MINIMUM, &ResumeDrainOnTimer))
        return;
    if (!::PostMessageA(m_hWnd, WM_DRAINCONSOLELINES, 0, 0))
        MainWindowLink().Lines().WakeFailed();
}

void CMainFrame::AppendGroup(const Console::CLineGroup& group, const char* pszLastText, COLORREF crLast)
{
    CConsoleLine batch[kMaxLinesPerAppend + 1];
    std::size_t nBatch = 0;
    for (const Console::CWaitingLine* pLine = group.First(); pLine; pLine = group.Next(pLine))
    {
        if (nBatch == kMaxLinesPerAppend)
        {
            m_wndView.AppendLines(batch, nBatch);
            nBatch = 0;
        }
        batch[nBatch++] = {pLine->Text(), Console::ColourOfClass(pLine->Class())};
    }
    if (pszLastText)
        batch[nBatch++] = {pszLastText, crLast};
    if (nBatch > 0)
        m_wndView.AppendLines(batch, nBatch);
}

LRESULT CMainFrame::OnReopenLineGate(WPARAM, LPARAM)
{
    MainWindowLink().LineGate().Open();
    return 0;
}

void CMainFrame::OnClose()
{
    SaveSettings();
    ShowWindow(SW_HIDE);
}

void CMainFrame::OnDestroy()
{
    // From now on the pipe server's threads drop their lines instead of sending
    // them to a window that is going.
    MainWindowLink().Withdraw();
    SaveSettings();
    if (m_find.Dialog())
        ::DestroyWindow(m_find.Dialog());
    m_trayIcon.RemoveIcon();
    CFrameWnd::OnDestroy();
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg)
{
    if (m_find.PreTranslateMessage(pMsg))
        return TRUE;
    return CFrameWnd::PreTranslateMessage(pMsg);
}

void CMainFrame::OnFind()
{
    m_find.Open(m_hWnd);
}

void CMainFrame::OnFindNext()
{
    FindInConsole(FALSE);
}

void CMainFrame::OnFindPrevious()
{
    FindInConsole(TRUE);
}

LRESULT CMainFrame::OnFindMessage(WPARAM, LPARAM lParam)
{
    if (m_find.OnMessage(lParam))
        FindInConsole(FALSE);
    return 0;
}

void CMainFrame::FindInConsole(BOOL bReverse)
{
    // Nothing asked for yet: the keys open the dialog.
    if (!*m_find.Text())
    {
        OnFind();
        return;
    }
    BOOL bWrapped = FALSE;
    const DWORD dwFlags = m_find.Flags(bReverse);
    char szText[320];
    if (!m_wndView.FindAndSelect(m_find.Text(), dwFlags, &bWrapped))
        std::snprintf(szText, sizeof(szText), "Cannot find \"%s\"", m_find.Text());
    else if (bWrapped)
        std::snprintf(szText, sizeof(szText), "Passed the %s of the console; went on from the %s",
                      (dwFlags & FR_DOWN) ? "end" : "start", (dwFlags & FR_DOWN) ? "start" : "end");
    else
        AfxLoadString(AFX_IDS_IDLEMESSAGE, szText, sizeof(szText));
    SetMessageText(szText);
}

void CMainFrame::RestoreSettings(const std::string& strLogFile)
{
    WINDOWPLACEMENT placement = {};
    if (Settings::ReadPlacement(placement))
    {
        // Where the window shows when it is opened; it stays hidden until then.
        placement.showCmd = SW_HIDE;
        placement.flags = 0;
        ::SetWindowPlacement(m_hWnd, &placement);
    }
    if (!Settings::ReadShown(Settings::kShowToolBar, true))
        ShowControlBar(&m_wndToolBar, FALSE);
    if (!Settings::ReadShown(Settings::kShowStatusBar, true))
        ShowControlBar(&m_wndStatusBar, FALSE);
    // A log file that could not be opened before the banner is tried once more, now
    // that the status bar can say why it fails; logging then stays off.
    if (!strLogFile.empty() && !m_wndView.IsLogging())
        m_wndView.StartLogging(strLogFile.c_str(), FALSE);
}

void CMainFrame::SaveSettings()
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (::GetWindowPlacement(m_hWnd, &placement))
        Settings::WritePlacement(placement);
    Settings::WriteShown(Settings::kShowToolBar, (m_wndToolBar.GetStyle() & WS_VISIBLE) != 0);
    Settings::WriteShown(Settings::kShowStatusBar, (m_wndStatusBar.GetStyle() & WS_VISIBLE) != 0);
}
