// CLineGate: the gate that console lines pass on their way to the main window,
// closed by the window while messages posted to its thread are waiting. A thread
// handles every sent message before any posted one, so a steady stream of lines
// from many connections would otherwise starve the posted ones for as long as
// the stream lasts: the Exit command of the menus and the COM calls that reach
// the monitor's automation object (and with them every client that is starting).
//
// Only the window's thread closes and opens the gate; senders only wait at it.
#pragma once

#include <windows.h>

#include <atomic>

class CLineGate
{
public:
    CLineGate();
    ~CLineGate();
    CLineGate(const CLineGate&) = delete;
    CLineGate& operator=(const CLineGate&) = delete;

    // A sender: waits while the gate is closed, at most kWaitMs. An open gate
    // costs a flag read; a line that slips past as it closes is harmless. true
    // when it was closed (the window may have gone meanwhile).
    bool Pass() const;
    // The window's thread, after it has shown a line: whether messages posted to
    // it are waiting (looked at every kQueueLookIntervalMs, false in between)...
    bool PostedMessagesWait();
    // ...and if so, closes the gate and posts WM_REOPENLINEGATE to hWnd behind them.
    void CloseBehindPostedMessages(HWND hWnd);
    // The window's thread: on WM_REOPENLINEGATE (the posted messages ahead of it
    // have been handled), and whenever nobody would reopen it otherwise.
    void Open();

    // A sender never waits longer than this at a closed gate, whatever happens.
    static constexpr DWORD kWaitMs = 1000;
    // The window looks for waiting posted messages at most this often.
    static constexpr DWORD kQueueLookIntervalMs = 50;

private:
    HANDLE m_hOpen;                    // manual-reset event, set while the gate is open
    std::atomic<bool> m_bClosed{false};
    DWORD m_dwLastQueueLook = 0;
};
