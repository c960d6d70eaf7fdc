// A real hidden window on a thread of its own that stands in for the monitor's
// main window: it records every console line ("ZOV_APPMON_UPD", and the lines it
// drains from MainWindowLink()'s queue on WM_DRAINCONSOLELINES) and every Exit
// command it receives, and can be published through a CMainWindowLink. It can
// decide each Exit command as the monitor does, and run a test's task on its
// thread.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <functional>
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
    // bDecideExits: every Exit command is put to DecideExit, as the monitor's
    // handler does, and Exits() counts those it let through.
    explicit CRecordingWindow(bool bDecideExits = false);
    ~CRecordingWindow();
    CRecordingWindow(const CRecordingWindow&) = delete;
    CRecordingWindow& operator=(const CRecordingWindow&) = delete;

    HWND GetHwnd() const { return m_hWnd; }
    std::vector<RecordedLine> Lines() const;
    int ExitCommands() const;
    int Exits() const;
    // Runs the task on the window's thread, from a posted message; returns at once.
    void Post(std::function<void()> task);
    // Waits until at least nCount lines arrived; false on time-out.
    bool WaitForLines(std::size_t nCount, DWORD dwMilliseconds) const;
    bool WaitForExitCommand(DWORD dwMilliseconds) const;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ThreadMain();

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<RecordedLine> m_lines;
    const bool m_bDecideExits;
    int m_nExitCommands = 0;
    int m_nExits = 0;
    HWND m_hWnd = nullptr;
    DWORD m_dwThreadId = 0;
    std::thread m_thread;
};

// On the calling thread: waits until a message sent to it from another thread is
// waiting to be handled (that thread is then blocked in its send); false on time-out.
bool WaitForSentMessage(DWORD dwMilliseconds);
// The same for a message posted to it.
bool WaitForPostedMessage(DWORD dwMilliseconds);
