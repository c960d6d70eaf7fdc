// Drives the real Tessaly.exe from a test: starts it with a command line and
// environment, finds its frame and console, reads the console's text across the
// process boundary, waits for it to end, and never leaves one running.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Full path of a program built next to the running test (build/bin).
std::string BuiltProgramPath(const char* pszFileName);

// The monitor that "Location" names when that file exists (the test installation's
// copy, the only monitor its hosts talk to), else the built one.
std::string InstalledMonitorPath();

// Ends every process of this Wine prefix that runs the program pszExeName (a file
// name such as "Tessaly.exe"), waiting a bounded time for each to be gone.
void KillAllProcessesNamed(const char* pszExeName);
// Ends every Tessaly.exe process of this Wine prefix (left over by a failed test):
// by its Exit command, or terminated when that does not end it in time. Then
// restarts Wine's RPC service, so that nothing of their COM state reaches the
// next test.
void KillAllMonitors();
// The ids of the running Tessaly.exe processes (started by anybody, COM included).
std::vector<DWORD> MonitorProcessIds();

class CMonitorProcess
{
public:
    CMonitorProcess() = default;
    // Ends the process if it still runs, as KillAllMonitors does.
    ~CMonitorProcess();
    CMonitorProcess(const CMonitorProcess&) = delete;
    CMonitorProcess& operator=(const CMonitorProcess&) = delete;

    // Starts InstalledMonitorPath() with the arguments. pszDebugLevel: the value of
    // QX_LMDEBUGLOGLEVEL for the monitor, or null for no such variable. pszProgram:
    // another monitor program built beside the tests (a variant of Tessaly.exe) to
    // put in the installation's place first, so that hosts talk to it; null keeps
    // what is installed.
    bool Start(const char* pszArguments = "", const char* pszDebugLevel = nullptr,
               const char* pszProgram = nullptr);
    // Starts strProgram, wherever it is, as it is.
    bool StartProgram(const std::string& strProgram, const char* pszArguments = "",
                      const char* pszDebugLevel = nullptr);
    // Takes over a monitor that was started otherwise (by COM for a client):
    // false when the process cannot be opened.
    bool Attach(DWORD dwProcessId);
    // Waits for the monitor's frame window (title "Tessaly"); null on time-out.
    HWND WaitForFrame(DWORD dwMilliseconds = 15000);
    // Waits for the process to end; false on time-out.
    bool WaitForExit(DWORD dwMilliseconds = 15000);
    bool IsRunning() const;
    DWORD ExitCode() const;
    DWORD ProcessId() const { return m_pi.dwProcessId; }

    // The console's text (CR LF line ends), read with WM_GETTEXT.
    std::string ConsoleText() const;
    // Waits until the console's text contains strNeedle; false on time-out.
    bool WaitForConsoleText(const std::string& strNeedle, DWORD dwMilliseconds = 10000) const;

private:
    PROCESS_INFORMATION m_pi = {};
    HWND m_hFrame = nullptr;
};

// A top-level window of the process whose caption is pszCaption, or null.
HWND FindProcessWindow(DWORD dwProcessId, const char* pszCaption, const char* pszClass = nullptr);
