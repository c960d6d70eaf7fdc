// The monitor's pipe server hosted inside the fuzzer's own process: the real
// listener and connection threads of monitor_core, serving a message-only window
// on a thread of its own that counts console lines and Exit commands instead of
// showing them (no display needed). Normal mode (not debug), so a wrongly emptied client table shows
// up as an Exit command.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

class CInProcessMonitor
{
public:
    CInProcessMonitor();
    ~CInProcessMonitor();
    CInProcessMonitor(const CInProcessMonitor&) = delete;
    CInProcessMonitor& operator=(const CInProcessMonitor&) = delete;

    // False when the window or the listener could not be started.
    bool Start();

    long ConsoleLines() const { return m_nLines.load(); }
    long ExitCommands() const { return m_nExitCommands.load(); }
    // The listener thread has ended (it ends only when it cannot serve).
    bool ListenerEnded() const;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void WindowThread();

    std::thread m_windowThread;
    std::atomic<HWND> m_hWnd{nullptr};
    std::atomic<DWORD> m_dwWindowThreadId{0};
    std::atomic<bool> m_bWindowFailed{false};
    std::atomic<long> m_nLines{0};
    std::atomic<long> m_nExitCommands{0};
    HANDLE m_hListener = nullptr;
};
