// CWinApp: the one application object of a module (program or DLL). Constructing
// it makes it the module's application object; the program entry point (or the
// DLL's load notification) then runs InitInstance, the message loop and
// ExitInstance.
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
    CWnd* m_pMainWnd = nullptr;

    // TRUE enters the message loop; FALSE ends the program (ExitInstance still runs).
    virtual BOOL InitInstance();
    // The message loop; returns the exit code from ExitInstance.
    virtual int Run();
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Called when the queue is empty; return TRUE to be called again before waiting.
    virtual BOOL OnIdle(LONG lCount);
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// Resources come from the module that holds the application object.
HINSTANCE AfxGetResourceHandle();

// Entry of a program built on the framework: InitInstance, Run, ExitInstance.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
