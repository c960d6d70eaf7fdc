#include "WinApp.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace
{

CWinApp* g_pApp = nullptr;
bool g_bDllAttached = false;

HINSTANCE ModuleOfThisCode()
{
    HMODULE hModule = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&ModuleOfThisCode), &hModule);
    return hModule;
}

// Messages that arrive on their own and say nothing about new input.
bool IsIdleMessage(const MSG& msg)
{
    return msg.message != WM_TIMER && msg.message != WM_PAINT && msg.message != 0x0118 /* WM_SYSTIMER */;
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
        if (pWnd && pWnd == m_pMainWnd)
            return FALSE;
    }
    // Messages for windows outside the main window (or for the thread) get the
    // main window's accelerators too.
    CWnd* pMainWnd = m_pMainWnd;
    return pMainWnd && pMainWnd->m_hWnd && pMainWnd->PreTranslateMessage(pMsg);
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    if (lCount == 0)
    {
        // A hidden or minimised window shows no bars worth updating.
        CWnd* pMainWnd = m_pMainWnd;
        if (pMainWnd && pMainWnd->m_hWnd && pMainWnd->IsWindowVisible() && !::IsIconic(pMainWnd->m_hWnd))
            pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    }
    return FALSE;
}

BOOL CWinApp::PumpMessage()
{
    const BOOL bGot = ::GetMessageA(&m_msgCur, nullptr, 0, 0);
    if (bGot == 0 || bGot == -1)
        return FALSE;
    if (!PreTranslateMessage(&m_msgCur))
    {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageA(&m_msgCur);
    }
    return TRUE;
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
        if (!PumpMessage())
            break;
        // Idle processing again once the burst of input is handled.
        if (IsIdleMessage(m_msgCur))
            lIdleCount = 0;
    }
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return m_msgCur.message == WM_QUIT ? static_cast<int>(m_msgCur.wParam) : 0;
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

namespace
{

BOOL AttachDll(HINSTANCE hInstDll)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return TRUE;
    pApp->m_hInstance = hInstDll;
    if (!pApp->InitInstance())
    {
        pApp->ExitInstance();
        return FALSE;
    }
    g_bDllAttached = true;
    return TRUE;
}

void DetachDll()
{
    // A failed attach is followed by a detach notification: ExitInstance already ran.
    CWinApp* pApp = AfxGetApp();
    if (!pApp || !g_bDllAttached)
        return;
    g_bDllAttached = false;
    pApp->ExitInstance();
}

} // namespace

BOOL AfxDllMain(HINSTANCE hInstDll, DWORD dwReason)
{
    switch (dwReason)
    {
    case DLL_PROCESS_ATTACH:
        return AttachDll(hInstDll);
    case DLL_PROCESS_DETACH:
        DetachDll();
        break;
    default:
        break;
    }
    return TRUE;
}
