#include "WinApp.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace
{

CWinApp* g_pApp = nullptr;

HINSTANCE ModuleOfThisCode()
{
    HMODULE hModule = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&ModuleOfThisCode), &hModule);
    return hModule;
}

} // namespace

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName), m_hInstance(ModuleOfThisCode())
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    // Walk from the target window up to the top: each may translate (accelerators).
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd))
    {
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
    }
    CWnd* pMainWnd = m_pMainWnd;
    return pMainWnd && pMainWnd->m_hWnd && pMainWnd->PreTranslateMessage(pMsg);
}

BOOL CWinApp::OnIdle(LONG)
{
    return FALSE;
}

int CWinApp::Run()
{
    LONG lIdleCount = 0;
    MSG msg;
    for (;;)
    {
        while (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (!OnIdle(lIdleCount++))
                break;
        }
        const BOOL bGot = ::GetMessageA(&msg, nullptr, 0, 0);
        if (bGot == 0 || bGot == -1)
            break;
        if (!PreTranslateMessage(&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        // Idle processing again once the burst of input is handled.
        if (msg.message != WM_TIMER && msg.message != WM_PAINT && msg.message != 0x0118 /* WM_SYSTIMER */)
            lIdleCount = 0;
    }
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return 0;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = lpCmdLine;
    pApp->m_nCmdShow = nCmdShow;
    if (!pApp->InitInstance())
    {
        // The main window may exist even when start-up gave up; it must not outlive us.
        if (pApp->m_pMainWnd && pApp->m_pMainWnd->m_hWnd)
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}
