#include "MonitorRemote.h"

#include "AfxRes.h"
#include "WindowCapture.h"
#include "resource.h"

#include <commctrl.h>

#include <functional>

namespace Demo
{

namespace
{

constexpr char kFrameTitle[] = "Tessaly";
constexpr char kDialogClass[] = "#32770";
// The file name field of the common save dialog: an edit (edt1) or, in some
// versions of the dialog, a combo box (cmb13).
constexpr int kFileNameEdit = 0x480;
constexpr int kFileNameCombo = 0x47C;
constexpr DWORD kPollMs = 50;
constexpr DWORD kSendTimeoutMs = 10000;

bool WaitUntil(const std::function<bool()>& condition, DWORD dwTimeoutMs)
{
    const DWORD dwStart = ::GetTickCount();
    while (!condition())
    {
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        ::Sleep(kPollMs);
    }
    return true;
}

bool SendCommand(HWND hWnd, UINT nCommand)
{
    DWORD_PTR dwResult = 0;
    return ::SendMessageTimeoutA(hWnd, WM_COMMAND, MAKEWPARAM(nCommand, 0), 0, SMTO_NORMAL, kSendTimeoutMs,
                                 &dwResult) != 0;
}

// A visible top-level window of a process with the class given.
struct WindowSearch
{
    DWORD dwProcessId;
    const char* pszClass;
    HWND hExclude;
    HWND hFound;
};

BOOL CALLBACK VisitTopLevelWindow(HWND hWnd, LPARAM lParam)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (hWnd == search.hExclude || dwProcessId != search.dwProcessId || !::IsWindowVisible(hWnd))
        return TRUE;
    char szClass[256] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (lstrcmpA(szClass, search.pszClass) != 0)
        return TRUE;
    search.hFound = hWnd;
    return FALSE;
}

// A visible dialog box of the process, other than hExclude.
HWND FindProcessDialog(DWORD dwProcessId, HWND hExclude = nullptr)
{
    WindowSearch search = {dwProcessId, kDialogClass, hExclude, nullptr};
    ::EnumWindows(&VisitTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

// The monitor's frame: titled "Tessaly" and holding the console pane. The
// search goes on after hAfter.
HWND FindMonitorFrame(HWND hAfter = nullptr)
{
    while (HWND hWnd = ::FindWindowExA(nullptr, hAfter, nullptr, kFrameTitle))
    {
        if (::GetDlgItem(hWnd, AFX_IDW_PANE_FIRST))
            return hWnd;
        hAfter = hWnd;
    }
    return nullptr;
}

std::string DialogText(HWND hDlg)
{
    // A message box keeps its text in the static with id 0xFFFF.
    char szText[1024] = "";
    ::SendMessageA(::GetDlgItem(hDlg, 0xFFFF), WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText));
    return szText;
}

void ClickButton(HWND hDlg, int nId)
{
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nId)));
}

// The shell's balloon tips of other processes that cover rcFrame. Under Wine
// without a taskbar the tray sits at the screen's top left, where the demo puts
// the console, so the monitor's start-up balloon would hide part of the shot; on
// Windows it shows by the taskbar instead.
struct BalloonSearch
{
    DWORD dwOwnProcessId;
    RECT rcFrame;
};

BOOL CALLBACK HideBalloonOverFrame(HWND hWnd, LPARAM lParam)
{
    const BalloonSearch& search = *reinterpret_cast<const BalloonSearch*>(lParam);
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    RECT rc;
    RECT rcOverlap;
    if (dwProcessId != search.dwOwnProcessId && ::IsWindowVisible(hWnd) &&
        lstrcmpiA(szClass, TOOLTIPS_CLASSA) == 0 && ::GetWindowRect(hWnd, &rc) &&
        ::IntersectRect(&rcOverlap, &rc, &search.rcFrame))
        ::ShowWindow(hWnd, SW_HIDE);
    return TRUE;
}

bool FileHasContent(const std::string& strPath)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return ::GetFileAttributesExA(strPath.c_str(), GetFileExInfoStandard, &data) &&
           (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0);
}

} // namespace

CMonitorRemote::~CMonitorRemote()
{
    if (m_hProcess)
        ::CloseHandle(m_hProcess);
}

bool CMonitorRemote::Find(DWORD dwTimeoutMs)
{
    if (!WaitUntil([this] { return (m_hFrame = FindMonitorFrame()) != nullptr; }, dwTimeoutMs))
        return false;
    ::GetWindowThreadProcessId(m_hFrame, &m_dwProcessId);
    m_hProcess = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, m_dwProcessId);
    return m_hProcess != nullptr;
}

bool CMonitorRemote::OpenConsole(int nWidth, int nHeight)
{
    if (!SendCommand(m_hFrame, ID_OPEN_CONSOLE) ||
        !WaitUntil([this] { return ::IsWindowVisible(m_hFrame) != FALSE; }, 5000))
        return false;
    ::SetWindowPos(m_hFrame, HWND_TOP, 0, 0, nWidth, nHeight, SWP_SHOWWINDOW);
    ::SetForegroundWindow(m_hFrame);
    return true;
}

bool CMonitorRemote::SaveConsoleAs(const std::string& strPath, std::string& strError)
{
    // A file left from an earlier run would bring up the overwrite question.
    ::DeleteFileA(strPath.c_str());
    // Posted: the command's handler runs the modal dialog and returns only after it.
    ::PostMessageA(m_hFrame, WM_COMMAND, MAKEWPARAM(ID_FILE_SAVE, 0), 0);
    HWND hDialog = nullptr;
    if (!WaitUntil([&] { return (hDialog = FindProcessDialog(m_dwProcessId)) != nullptr; }, 15000))
        return strError = "the save dialog did not open", false;

    HWND hName = ::GetDlgItem(hDialog, kFileNameEdit);
    if (!hName)
        hName = ::GetDlgItem(hDialog, kFileNameCombo);
    if (!hName)
    {
        ClickButton(hDialog, IDCANCEL);
        return strError = "the save dialog has no file name field", false;
    }
    ::SendMessageA(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strPath.c_str()));
    ClickButton(hDialog, IDOK);

    // The dialog closes and the file is written; any other box (a question, an
    // error report) is read and dismissed.
    const bool bClosed = WaitUntil(
        [&] {
            if (HWND hBox = FindProcessDialog(m_dwProcessId, hDialog))
            {
                strError = "the monitor reported: " + DialogText(hBox);
                ClickButton(hBox, IDCANCEL);
                ClickButton(hBox, IDOK);
            }
            return !::IsWindow(hDialog);
        },
        15000);
    if (!bClosed)
    {
        ClickButton(hDialog, IDCANCEL);
        return strError = "the save dialog did not close", false;
    }
    if (!WaitUntil([&] { return FileHasContent(strPath); }, 5000))
    {
        if (strError.empty())
            strError = "no file was written";
        return false;
    }
    return true;
}

bool CMonitorRemote::FindWithDialog(const std::string& strText, std::string& strError)
{
    ::PostMessageA(m_hFrame, WM_COMMAND, MAKEWPARAM(ID_FIND, 0), 0);
    if (!WaitUntil([&] { return (m_hFindDialog = FindProcessDialog(m_dwProcessId)) != nullptr; }, 15000))
        return strError = "the Find dialog did not open", false;
    ::SetDlgItemTextA(m_hFindDialog, kFileNameEdit, strText.c_str()); // edt1 is the text field here too
    RECT rcFrame;
    RECT rcDialog;
    if (::GetWindowRect(m_hFrame, &rcFrame) && ::GetWindowRect(m_hFindDialog, &rcDialog))
        ::SetWindowPos(m_hFindDialog, HWND_TOP, rcFrame.right - (rcDialog.right - rcDialog.left) - 40,
                       rcFrame.top + 120, 0, 0, SWP_NOSIZE);
    ClickButton(m_hFindDialog, IDOK);
    return true;
}

void CMonitorRemote::CloseFind()
{
    if (m_hFindDialog)
        ClickButton(m_hFindDialog, IDCANCEL);
    m_hFindDialog = nullptr;
}

bool CMonitorRemote::CaptureScreen(Imaging::RgbImage& image)
{
    return Imaging::CaptureWindow(::GetDesktopWindow(), image);
}

void CMonitorRemote::HideOtherBalloonsOverFrame() const
{
    BalloonSearch search = {m_dwProcessId, {}};
    if (!::GetWindowRect(m_hFrame, &search.rcFrame))
        return;
    ::EnumWindows(&HideBalloonOverFrame, reinterpret_cast<LPARAM>(&search));
    ::RedrawWindow(m_hFrame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool CMonitorRemote::Capture(Imaging::RgbImage& image) const
{
    return Imaging::CaptureWindow(m_hFrame, image);
}

bool CMonitorRemote::Exit(DWORD dwTimeoutMs)
{
    SendCommand(m_hFrame, ID_EXIT_MONITOR);
    return ::WaitForSingleObject(m_hProcess, dwTimeoutMs) == WAIT_OBJECT_0;
}

int CMonitorRemote::CountRunningMonitors()
{
    int nCount = 0;
    for (HWND hFrame = FindMonitorFrame(); hFrame; hFrame = FindMonitorFrame(hFrame))
        ++nCount;
    return nCount;
}

int CMonitorRemote::ConsoleLength() const
{
    return static_cast<int>(
        ::SendMessageA(::GetDlgItem(m_hFrame, AFX_IDW_PANE_FIRST), WM_GETTEXTLENGTH, 0, 0));
}

} // namespace Demo
