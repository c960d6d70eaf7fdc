// Drives the real Tessaly.exe from a test: starts it with a command line and
// environment, finds its frame and console, reads the console's text across the
// process boundary, waits for it to end, and never leaves one running.
#pragma once

#include <windows.h>

#include <string>

// Full path of a program built next to the running test (build/bin).
std::string BuiltProgramPath(const char* pszFileName);

// Ends every Tessaly.exe process of this Wine prefix (left over by a failed test).
void KillAllMonitors();

class CMonitorProcess
{
public:
    CMonitorProcess() = default;
    // Terminates the process if it still runs.
    ~CMonitorProcess();
    CMonitorProcess(const CMonitorProcess&) = delete;
    CMonitorProcess& operator=(const CMonitorProcess&) = delete;

    // Starts Tessaly.exe with the arguments. pszDebugLevel: the value of
    // QX_LMDEBUGLOGLEVEL for the monitor, or null for no such variable.
    bool Start(const char* pszArguments = "", const char* pszDebugLevel = nullptr);
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
