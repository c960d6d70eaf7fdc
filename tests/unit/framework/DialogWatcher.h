// Lets a test show a modal box on its own thread and still go on: a helper thread
// waits for the first dialog box (class #32770) of the test's thread, records its
// caption and owner, and runs an action on it (fill in a field, press a button).
// A box that is still there after the time limit is cancelled, so a failing test
// fails instead of hanging.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

class CDialogWatcher
{
public:
    // action may be empty: the box is expected to close itself.
    explicit CDialogWatcher(std::function<void(HWND)> action, DWORD dwTimeoutMs = 5000);
    ~CDialogWatcher();
    CDialogWatcher(const CDialogWatcher&) = delete;
    CDialogWatcher& operator=(const CDialogWatcher&) = delete;

    // Waits for the helper thread; the results below are valid afterwards.
    void Join();

    bool m_bFound = false;
    bool m_bHadToCancel = false; // the box did not go away by itself
    std::string m_strCaption;
    HWND m_hOwner = nullptr;

private:
    void Watch();

    DWORD m_dwThreadId;
    DWORD m_dwTimeoutMs;
    std::function<void(HWND)> m_action;
    std::thread m_thread;
};

// Clicks a button of a dialog box the way the button itself would report it.
void ClickDialogButton(HWND hDlg, int nID);
