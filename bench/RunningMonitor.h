// The real Tessaly.exe as the bench drives it: started in debug mode (so that it
// stays when hosts leave), its frame's commands (open and hide the console, clear
// it, exit), its console's text and its private memory.
#pragma once

#include "MonitorProcess.h"

#include <windows.h>

#include <cstddef>
#include <string>

namespace Bench
{

class CRunningMonitor
{
public:
    CRunningMonitor() = default;
    // Asks the monitor to exit; it is terminated if it does not.
    ~CRunningMonitor();
    CRunningMonitor(const CRunningMonitor&) = delete;
    CRunningMonitor& operator=(const CRunningMonitor&) = delete;

    // Starts the monitor program (built beside the bench) and waits for its
    // frame. false when it did not come up.
    bool Start(const char* pszProgram);
    void OpenConsole() const;
    void HideConsole() const;
    void ClearConsole() const;
    std::string ConsoleText() const { return m_process.ConsoleText(); }
    // Private bytes (commit charge) of the monitor's process; 0 when unknown.
    std::size_t PrivateBytes() const;
    // Exit command; true when the process ended.
    bool Exit();

private:
    CMonitorProcess m_process;
    HWND m_hFrame = nullptr;
};

// The monitor as shipped, and the same monitor built to append every line by
// itself (the one-line path the shipped one is compared with).
constexpr char kMonitorProgram[] = "Tessaly.exe";
constexpr char kOneLineMonitorProgram[] = "TessalyOneLine.exe";

// True when either monitor program already runs in this Wine prefix (the bench
// would measure it, or fight it for the pipe).
bool IsAnyMonitorRunning();

} // namespace Bench
