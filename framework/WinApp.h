// CWinApp: the one application object of a module (program or DLL). Constructing
// it makes it the module's application object; the program entry point (or the
// DLL's load notification) then runs InitInstance, the message loop and
// ExitInstance.
//
// The message loop offers each message to PreTranslateMessage (the target window
// and its parents, then the main window: accelerators) before dispatching it, and
// runs OnIdle whenever the queue has run empty after input: that is when the main
// frame's tool bar and status bar are brought up to date.
//
// The application object is the last stop of command routing (view, frame,
// application): its message map holds application-wide commands.
#pragma once

#include "Wnd.h"

class CWinApp : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinApp)

public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCSTR m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr; // cleared when that window is destroyed
    MSG m_msgCur = {};          // last message the loop retrieved

    // TRUE enters the message loop; FALSE ends the program (ExitInstance still runs).
    virtual BOOL InitInstance();
    // The message loop; returns the exit code from ExitInstance.
    virtual int Run();
    // Retrieves, translates and dispatches one message (waits for one). FALSE when
    // it was WM_QUIT.
    virtual BOOL PumpMessage();
    // Returns the exit code: the WM_QUIT code when the loop ran, else 0.
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Called when the queue is empty; return TRUE to be called again before waiting.
    // lCount 0 (first call after input): updates the visible main window's bars.
    virtual BOOL OnIdle(LONG lCount);
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// Resources come from the module that holds the application object.
HINSTANCE AfxGetResourceHandle();

// Entry of a program built on the framework: InitInstance, Run, ExitInstance.
// The framework_main target supplies the WinMain that calls it.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// Life of a DLL's application object, which never runs a message loop. The DLL's
// DllMain hands every notification on (the object itself is constructed before
// DllMain runs):  return AfxDllMain(hInstance, dwReason);
// Process attach runs InitInstance; when that fails it runs ExitInstance and
// returns FALSE (the DLL then fails to load). Process detach runs ExitInstance
// once, only after a successful attach. Thread notifications are ignored.
BOOL AfxDllMain(HINSTANCE hInstDll, DWORD dwReason);

// Modal message box owned by the main window (when there is one), captioned with
// the application title: string AFX_IDS_APP_TITLE, else the application name, else
// the module's file name. Without an icon in nType, OK / OK-Cancel boxes get the
// exclamation icon and Yes-No boxes the question icon. Returns the button chosen.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK);
// The same with the text of string resource nIDPrompt.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK);
