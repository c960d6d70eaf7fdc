// CMainWindowLink: how threads other than the user-interface thread reach the
// main window. The frame publishes its handle and debug-mode flag when it is
// created and withdraws them when it is destroyed; senders copy the handle under
// the link's lock and send without holding it, so a sender never uses a frame
// object that is gone and never blocks the UI thread's withdrawal. A line sent
// while no window is published is dropped.
//
// Lines pass the link's line gate first (see CLineGate).
//
// A line sent from another thread waits in the link's line queue while its
// message is on its way, so that the window can append every waiting line at
// once (see CConsoleLineQueue).
#pragma once

#include "ConsoleLineQueue.h"
#include "LineGate.h"

#include <windows.h>

#include <atomic>

class CMainWindowLink
{
public:
    CMainWindowLink();
    ~CMainWindowLink();
    CMainWindowLink(const CMainWindowLink&) = delete;
    CMainWindowLink& operator=(const CMainWindowLink&) = delete;

    void Publish(HWND hWnd, bool bDebugMode);
    void Withdraw();

    // The published window, or null.
    HWND GetWindow() const;
    bool IsDebugMode() const;
    // Whether the calling thread is the one whose window was last published. It
    // stays so after the withdrawal: a sender that took the handle before may
    // still be waiting for that thread.
    bool IsWindowThread() const;

    // Hands one console line (colour class, NUL-terminated ANSI text) to the
    // window with the registered console message and waits until it is shown.
    // false when no window is published (the line is dropped). Waits at the line
    // gate first, unless called on the window's thread.
    bool SendConsoleLine(int nColourClass, const char* pszText) const;
    // The lines that senders have handed over, for the window's thread.
    Console::CConsoleLineQueue& Lines() const { return m_lines; }
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
    HWND GetWindowAndThread(DWORD* pdwThreadId) const;

    mutable CRITICAL_SECTION m_lock;
    mutable Console::CConsoleLineQueue m_lines;
    CLineGate m_lineGate;
    HWND m_hWnd = nullptr;
    std::atomic<DWORD> m_dwWindowThreadId{0};
    bool m_bDebugMode = false;
    bool m_bExitRequested = false;
};
