// CMainWindowLink: how threads other than the user-interface thread reach the
// main window. The frame publishes its handle and debug-mode flag when it is
// created and withdraws them when it is destroyed; senders copy the handle under
// the link's lock and send without holding it, so a sender never uses a frame
// object that is gone and never blocks the UI thread's withdrawal. A line sent
// while no window is published is dropped.
//
// Lines pass the link's line gate first (see CLineGate).
//
// A window that drains the link's line queue (the monitor's frame) gets the lines
// of other threads through it: they wait there, and the window appends every
// waiting line at once (see CConsoleLineQueue). Any other window gets one console
// message per line.
#pragma once

#include "ConsoleLineQueue.h"
#include "LineGate.h"

#include <windows.h>

#include <atomic>

class CMainWindowLink
{
public:
    CMainWindowLink() = default;
    CMainWindowLink(const CMainWindowLink&) = delete;
    CMainWindowLink& operator=(const CMainWindowLink&) = delete;

    // bDrainsQueue: the window handles WM_DRAINCONSOLELINES by draining Lines().
    void Publish(HWND hWnd, bool bDebugMode, bool bDrainsQueue = false);
    void Withdraw();

    // The published window, or null.
    HWND GetWindow() const;
    bool IsDebugMode() const;
    // Whether the calling thread is the one whose window was last published. It
    // stays so after the withdrawal: a sender that took the handle before may
    // still be waiting for that thread.
    bool IsWindowThread() const;

    // Hands one console line (colour class, NUL-terminated ANSI text) to the
    // window, through the queue or with the registered console message, and
    // waits until it is shown.
    // false when no window is published (the line is dropped). Waits at the line
    // gate first, unless called on the window's thread.
    bool SendConsoleLine(int nColourClass, const char* pszText) const;
    // The lines that senders have handed over, for the window's thread.
    Console::CConsoleLineQueue& Lines() const { return m_lines; }
    // The window's thread, when it cannot get back to its message loop for a while
    // (it waits for a lock that a sender may hold): appends the waiting lines now.
    void DrainLinesOnWindowThread() const;
    // The gate that lines pass; the window's thread closes and opens it.
    CLineGate& LineGate() { return m_lineGate; }
    // The window's thread, after it has shown a line: lets waiting posted messages
    // through (CLineGate), while a window is published only: once it is withdrawn
    // nobody would reopen the gate.
    void LetPostedMessagesThrough();
    // Sends the Exit command to the window. false when none is published.
    bool SendExitCommand() const;
    // Posts the Exit command, whatever the mode, without waiting for the window.
    // A request made while no window is published is kept and posted by the next
    // Publish, so it cannot be lost to a window that is still being created.
    void RequestExit();

private:
    HWND GetWindowAndThread(DWORD* pdwThreadId, bool* pbDrainsQueue = nullptr) const;

    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    mutable Console::CConsoleLineQueue m_lines;
    CLineGate m_lineGate;
    HWND m_hWnd = nullptr;
    std::atomic<DWORD> m_dwWindowThreadId{0};
    bool m_bDebugMode = false;
    bool m_bDrainsQueue = false;
    bool m_bExitRequested = false;
};
