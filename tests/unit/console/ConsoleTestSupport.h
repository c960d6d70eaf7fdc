// Helpers of the console tests: an application object that counts the Open
// Console commands reaching it and closes the frame on Exit (the monitor's own
// handlers are tested in the real program), the main frame made the way start-up
// makes it, reading the console back (text as a saved file has it, character
// formats), and bounded message pumps.
#pragma once

#include "MainFrm.h"
#include "WinApp.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CConsoleTestApp : public CWinApp
{
public:
    int m_nOpenConsoles = 0;

    void OnOpenConsole() { ++m_nOpenConsoles; }
    // The frame's real close, as the pipe server's Exit needs it.
    void OnExitMonitor();

    DECLARE_MESSAGE_MAP()
};

extern CConsoleTestApp theApp;

// The console message number and the client table's mutex, as start-up makes them.
void EnsureMonitorGlobals();

// A CMainFrame created like start-up creates it (hidden, the main window). The
// window is destroyed at the end of the scope if the test has not done so.
class CConsoleWindow
{
public:
    explicit CConsoleWindow(bool bDebugMode = false);
    ~CConsoleWindow();
    CConsoleWindow(const CConsoleWindow&) = delete;
    CConsoleWindow& operator=(const CConsoleWindow&) = delete;

    // The frame, or null once its window is gone (frames delete themselves).
    CMainFrame* Frame() const;
    HWND Hwnd() const { return m_hFrame; }
    HWND ViewHwnd() const;
    CChildView& View() const { return Frame()->m_wndView; }

    // One console line, sent as the pipe server's threads send it.
    LRESULT Send(WPARAM nClass, const char* pszText) const;
    LRESULT Command(UINT nID) const;
    // Shows the frame as Open Console does, at a size of its own.
    void Show() const;
    void Destroy();

private:
    HWND m_hFrame = nullptr;
};

// Lines (colour class, text) handed over as senders on other threads hand them
// over, then one console message for the last: the window takes them all as one
// group. false when a line did not go into the console through the group.
bool AppendAsGroup(const CConsoleWindow& window, const std::vector<std::pair<int, std::string>>& lines);

// The console's text as a saved file holds it (EM_STREAMOUT, SF_TEXT).
std::string ConsoleText(HWND hView);
// Number of character positions (a line end is one).
long PositionCount(HWND hView);
// Format of the character at a position.
CHARFORMATA FormatAt(HWND hView, long nPos);
// The banner when the catalogue has no texts: eight empty lines, two of a space.
std::string EmptyCatalogueBanner();

// Dispatches this thread's messages until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, DWORD dwTimeoutMs);
void PumpFor(DWORD dwMs);
// Removes the WM_QUIT that destroying the main window leaves in the queue.
void DrainQuit();

// A dialog box of this thread other than hExclude, or null.
HWND FindThreadDialog(DWORD dwThreadId, HWND hExclude = nullptr);
std::string WindowText(HWND hWnd);
