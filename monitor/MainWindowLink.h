// CMainWindowLink: how threads other than the user-interface thread reach the
// main window. The frame publishes its handle and debug-mode flag when it is
// created and withdraws them when it is destroyed; senders copy the handle under
// the link's lock and send without holding it, so a sender never uses a frame
// object that is gone and never blocks the UI thread's withdrawal. A line sent
// while no window is published is dropped.
#pragma once

#include <windows.h>

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

    // Hands one console line (colour class, NUL-terminated ANSI text) to the
    // window with the registered console message and waits until it is shown.
    // false when no window is published (the line is dropped).
    bool SendConsoleLine(int nColourClass, const char* pszText) const;
    // Sends the Exit command to the window. false when none is published.
    bool SendExitCommand() const;
    // Posts the Exit command, whatever the mode, without waiting for the window.
    // A request made while no window is published is kept and posted by the next
    // Publish, so it cannot be lost to a window that is still being created.
    void RequestExit();

private:
    mutable CRITICAL_SECTION m_lock;
    HWND m_hWnd = nullptr;
    bool m_bDebugMode = false;
    bool m_bExitRequested = false;
};
