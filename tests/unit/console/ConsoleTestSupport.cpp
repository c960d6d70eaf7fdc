#include "ConsoleTestSupport.h"

#include "MainWindowLink.h"
#include "MessagePump.h"
#include "MonitorGlobals.h"
#include "resource.h"

#include <memory>

CConsoleTestApp theApp;

BEGIN_MESSAGE_MAP(CConsoleTestApp, CWinApp)
ON_COMMAND(ID_OPEN_CONSOLE, OnOpenConsole)
ON_COMMAND(ID_EXIT_MONITOR, OnExitMonitor)
END_MESSAGE_MAP()

void CConsoleTestApp::OnExitMonitor()
{
    if (m_pMainWnd)
        static_cast<CFrameWnd*>(m_pMainWnd)->CFrameWnd::OnClose();
}

void EnsureMonitorGlobals()
{
    if (g_uAppMonUpdateMessage == 0)
        g_uAppMonUpdateMessage = ::RegisterWindowMessageA("ZOV_APPMON_UPD");
    if (!g_hClientTableMutex)
        g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
}

CConsoleWindow::CConsoleWindow(bool bDebugMode)
{
    EnsureMonitorGlobals();
    CMainFrame* pFrame = new CMainFrame;
    pFrame->m_bDebugMode = bDebugMode;
    theApp.m_pMainWnd = pFrame;
    if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr))
    {
        theApp.m_pMainWnd = nullptr;
        DrainQuit();
        return;
    }
    m_hFrame = pFrame->m_hWnd;
    pFrame->ShowWindow(SW_HIDE);
    pFrame->UpdateWindow();
}

CConsoleWindow::~CConsoleWindow()
{
    Destroy();
}

CMainFrame* CConsoleWindow::Frame() const
{
    return m_hFrame ? static_cast<CMainFrame*>(CWnd::FromHandlePermanent(m_hFrame)) : nullptr;
}

HWND CConsoleWindow::ViewHwnd() const
{
    return m_hFrame ? ::GetDlgItem(m_hFrame, AFX_IDW_PANE_FIRST) : nullptr;
}

LRESULT CConsoleWindow::Send(WPARAM nClass, const char* pszText) const
{
    return ::SendMessageA(m_hFrame, g_uAppMonUpdateMessage, nClass, reinterpret_cast<LPARAM>(pszText));
}

LRESULT CConsoleWindow::Command(UINT nID) const
{
    return ::SendMessageA(m_hFrame, WM_COMMAND, nID, 0);
}

void CConsoleWindow::Show() const
{
    ::ShowWindow(m_hFrame, SW_SHOW);
    ::UpdateWindow(m_hFrame);
    ::SetWindowPos(m_hFrame, nullptr, 0, 0, 640, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(50);
}

void CConsoleWindow::Destroy()
{
    if (m_hFrame && ::IsWindow(m_hFrame))
        ::DestroyWindow(m_hFrame);
    m_hFrame = nullptr;
    if (theApp.m_pMainWnd && !theApp.m_pMainWnd->m_hWnd)
        theApp.m_pMainWnd = nullptr;
    DrainQuit();
}

bool AppendAsGroup(const CConsoleWindow& window, const std::vector<std::pair<int, std::string>>& lines)
{
    // All but the last wait in the queue; the last one's console message takes them along.
    Console::CConsoleLineQueue& queue = MainWindowLink().Lines();
    std::vector<std::unique_ptr<Console::CWaitingLine>> waiting;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
    {
        waiting.emplace_back(
            new Console::CWaitingLine(static_cast<std::uintptr_t>(lines[i].first), lines[i].second.c_str()));
        queue.HandOver(*waiting.back());
    }
    window.Send(static_cast<WPARAM>(lines.back().first), lines.back().second.c_str());
    bool bAllShown = true;
    for (const auto& pLine : waiting)
        bAllShown = queue.WaitUntilDone(*pLine) && bAllShown;
    return bAllShown;
}

namespace
{

DWORD CALLBACK CollectStream(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    reinterpret_cast<std::string*>(dwCookie)->append(reinterpret_cast<const char*>(pbBuff), cb);
    *pcb = cb;
    return 0;
}

BOOL CALLBACK VisitDialog(HWND hWnd, LPARAM lParam)
{
    auto& search = *reinterpret_cast<std::pair<HWND, HWND>*>(lParam);
    char szClass[16] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (hWnd != search.second && lstrcmpA(szClass, "#32770") == 0 && ::IsWindowVisible(hWnd))
    {
        search.first = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::string ConsoleText(HWND hView)
{
    std::string text;
    EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&text), 0, &CollectStream};
    ::SendMessageA(hView, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&es));
    return text;
}

long PositionCount(HWND hView)
{
    GETTEXTLENGTHEX info = {GTL_NUMCHARS, CP_ACP};
    return static_cast<long>(::SendMessageA(hView, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&info), 0));
}

CHARFORMATA FormatAt(HWND hView, long nPos)
{
    CHARRANGE range = {nPos, nPos + 1};
    ::SendMessageA(hView, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMATA cf = {};
    cf.cbSize = sizeof(cf);
    ::SendMessageA(hView, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

std::string EmptyCatalogueBanner()
{
    std::string banner;
    for (int i = 0; i < 8; ++i)
        banner += "\r\n";
    return banner + " \r\n \r\n";
}

bool PumpUntil(const std::function<bool()>& condition, DWORD dwTimeoutMs)
{
    return PumpMessagesUntil(condition, dwTimeoutMs,
                             [](MSG* pMsg) { return theApp.PreTranslateMessage(pMsg) != FALSE; });
}

void PumpFor(DWORD dwMs)
{
    PumpUntil([] { return false; }, dwMs);
}

void DrainQuit()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    {
    }
}

HWND FindThreadDialog(DWORD dwThreadId, HWND hExclude)
{
    std::pair<HWND, HWND> search(nullptr, hExclude);
    ::EnumThreadWindows(dwThreadId, &VisitDialog, reinterpret_cast<LPARAM>(&search));
    return search.first;
}

std::string WindowText(HWND hWnd)
{
    char szText[1024] = "";
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    return szText;
}
