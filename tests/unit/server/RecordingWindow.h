// A real hidden window on a thread of its own that stands in for the monitor's
// main window: it records every console line ("ZOV_APPMON_UPD") and every Exit
// command it receives, and can be published through a CMainWindowLink.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct RecordedLine
{
    int nColourClass;
    std::string strText;
};

class CRecordingWindow
{
public:
    // Registers the console message in g_uAppMonUpdateMessage if not yet done.
    CRecordingWindow();
    ~CRecordingWindow();
    CRecordingWindow(const CRecordingWindow&) = delete;
    CRecordingWindow& operator=(const CRecordingWindow&) = delete;

    HWND GetHwnd() const { return m_hWnd; }
    std::vector<RecordedLine> Lines() const;
    int ExitCommands() const;
    // Waits until at least nCount lines arrived; false on time-out.
    bool WaitForLines(std::size_t nCount, DWORD dwMilliseconds) const;
    bool WaitForExitCommand(DWORD dwMilliseconds) const;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ThreadMain();

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<RecordedLine> m_lines;
    int m_nExitCommands = 0;
    HWND m_hWnd = nullptr;
    DWORD m_dwThreadId = 0;
    std::thread m_thread;
};
