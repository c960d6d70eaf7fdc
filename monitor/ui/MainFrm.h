// CMainFrame: the monitor's one window, hidden until the user opens it. Its
// client area is the console (m_wndView) between a tool bar and a status bar; it
// turns each console message from the rest of the monitor into a coloured line,
// hides instead of closing, and while it exists it is the window the pipe
// server's threads reach through MainWindowLink(). Creating it starts the pipe
// listener thread and, in debug mode, the notification-area icon.
//
// Use (the application object):
//     CMainFrame* pFrame = new CMainFrame;       // deletes itself with its window
//     pFrame->m_bDebugMode = bDebug;             // before the window is created
//     m_pMainWnd = pFrame;
//     pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr);
//     pFrame->ShowWindow(SW_HIDE); pFrame->UpdateWindow();
// To close for real (Exit), bypass the hiding WM_CLOSE: pFrame->CFrameWnd::OnClose().
#pragma once

#include "ChildView.h"
#include "ConsoleFind.h"
#include "ConsoleLineQueue.h"
#include "ControlBar.h"
#include "FrameWnd.h"
#include "SystemTray.h"

#include <string>
#include <utility>
#include <vector>

class CMainFrame : public CFrameWnd
{
    DECLARE_DYNAMIC(CMainFrame)

public:
    CMainFrame();
    // Closes the listener thread's handle (the thread itself runs on).
    ~CMainFrame() override;

    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CChildView m_wndView;               // child AFX_IDW_PANE_FIRST
    HANDLE m_hListenerThread = nullptr; // the pipe listener, started by OnCreate
    CSystemTray m_trayIcon;             // only in debug mode
    CConsoleFind m_find;                // Edit > Find... and its repeats
    BOOL m_bDebugMode = FALSE;          // set before the window is created

    // Every command goes to the console first, then along the frame's route.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra) override;
    // A plain window class (no class style, cursor, brush or icon) and no sunken edge.
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    // The Find dialog's keys first, then the frame's accelerators.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnSetFocus(CWnd* pOldWnd);
    // wParam: colour class; lParam: the NUL-terminated text, or null (ignored).
    // Appends every line that senders have handed over meanwhile with it.
    LRESULT OnAppMonUpdate(WPARAM wParam, LPARAM lParam);
    // Lines wait in the link's queue: appends them, group by group, until none is left.
    LRESULT OnDrainConsoleLines(WPARAM wParam, LPARAM lParam);
    // The messages that console lines held up have been handled: lines may come again.
    LRESULT OnReopenLineGate(WPARAM wParam, LPARAM lParam);
    // Hides the window; the monitor keeps running and the console keeps its lines.
    void OnClose();
    // Withdraws the window from the pipe server's threads and removes the icon.
    void OnDestroy();
    // Edit > Find..., F3 and Shift+F3, and what the Find dialog reports.
    void OnFind();
    void OnFindNext();
    void OnFindPrevious();
    LRESULT OnFindMessage(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    // Lines taken together go to the console at most this many at a time.
    static constexpr std::size_t kMaxLinesPerAppend = 64;
    // The group's lines, then pszLastText (when not null) in crLast.
    void AppendGroup(const Console::CLineGroup& group, const char* pszLastText, COLORREF crLast);
    // With m_bAppendingLines set: the queue's lines and the held ones until none
    // is left (waiting up to dwLingerMs for the next), or until kDrainSliceMs
    // have passed; then clears the flag.
    void DrainLines(DWORD dwLingerMs);
    // After a drain cut short: the next one comes once waiting messages are in.
    void ResumeDrainLater();
    static constexpr DWORD kDrainSliceMs = 20;
    static constexpr UINT_PTR kResumeDrainTimerId = 0x7E11;

    // Searches the console; a text it lacks is named in the status bar.
    void FindInConsole(BOOL bReverse);
    // The user's saved placement and bars applied to the new window, and the log file
    // (strLogFile, read before the banner) tried again if it did not open; and saved.
    void RestoreSettings(const std::string& strLogFile);
    void SaveSettings();

    BOOL m_bAppendingLines = FALSE;
    // Lines of senders without the queue that arrived while lines were being appended.
    std::vector<std::pair<WPARAM, std::string>> m_heldLines;
};
