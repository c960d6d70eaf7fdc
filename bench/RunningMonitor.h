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

    // Starts the monitor and waits for its frame. false when it did not come up.
    bool Start();
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

// True when a Tessaly.exe already runs in this Wine prefix (the bench would
// measure it, or fight it for the pipe).
bool IsAnyMonitorRunning();

} // namespace Bench
