#include "ListenerReport.h"

#include "WinApp.h"
#include "PipeServer.h"
#include "ResourceString.h"
#include "ui/resource.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace
{

// Exit codes of a monitor that could not serve the pipe (0: it served, or never
// had to), and what it tells the user in debug mode.
struct ListenerFailure
{
    ListenerOutcome outcome;
    int nExitCode;
    const char* pszText;
};
constexpr ListenerFailure kListenerFailures[] = {
    {ListenerOutcome::kAnotherMonitorServes, 2,
     "Another copy of the monitor keeps the pipe and did not give it up within 3 seconds, and it does not "
     "answer: it has stopped. End that Tessaly.exe in the Task Manager and start your program again."},
    {ListenerOutcome::kLockHeldByAnotherUser, 3,
     "The monitor cannot serve: the name of its pipe lock is held by a process of another user."},
    {ListenerOutcome::kNoPipe, 4, "The monitor cannot serve: its pipe could not be created."},
};

const ListenerFailure* FindListenerFailure(ListenerOutcome outcome)
{
    for (const ListenerFailure& failure : kListenerFailures)
    {
        if (failure.outcome == outcome)
            return &failure;
    }
    return nullptr;
}

// Whether another monitor's window answers (within kAnswerMs): a monitor that
// keeps the listener mutex and answers serves the pipe, and this one gives way
// silently, as when two start together; one that does not answer has stopped.
constexpr UINT kAnswerMs = 2000;

struct WindowSearch
{
    char szTitle[64];
    bool bAnswered;
};

BOOL CALLBACK AskMonitorWindow(HWND hWnd, LPARAM lParam)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    char szTitle[sizeof(search.szTitle)] = "";
    if (dwProcessId == ::GetCurrentProcessId() || !::GetWindowTextA(hWnd, szTitle, sizeof(szTitle)) ||
        lstrcmpA(szTitle, search.szTitle) != 0)
        return TRUE;
    DWORD_PTR dwResult = 0;
    search.bAnswered = ::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs,
                                             &dwResult) != 0;
    return search.bAnswered ? FALSE : TRUE;
}

bool AnotherMonitorAnswers()
{
    WindowSearch search = {};
    // The frame's title: its resource string up to the first line end.
    AfxLoadString(IDR_MAINFRAME, search.szTitle, sizeof(search.szTitle));
    if (char* pEnd = std::strchr(search.szTitle, '\n'))
        *pEnd = '\0';
    ::EnumWindows(&AskMonitorWindow, reinterpret_cast<LPARAM>(&search));
    return search.bAnswered;
}

} // namespace

int ReportListenerFailure(bool bDebugMode)
{
    DWORD dwError = ERROR_SUCCESS;
    const ListenerOutcome outcome = PipeListenerOutcome(&dwError);
    if (outcome == ListenerOutcome::kAnotherMonitorServes && AnotherMonitorAnswers())
        return 0;
    const ListenerFailure* pFailure = FindListenerFailure(outcome);
    if (!pFailure)
        return 0;
    if (bDebugMode)
    {
        std::string strText = pFailure->pszText;
        if (dwError != ERROR_SUCCESS)
            strText += " (system error " + std::to_string(dwError) + ")";
        AfxMessageBox(strText.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
    return pFailure->nExitCode;
}
