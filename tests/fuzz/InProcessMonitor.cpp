#include "InProcessMonitor.h"

#include "ClientTable.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "PipeServer.h"
#include "ui/resource.h"

namespace
{
constexpr char kClassName[] = "TessalyPipeFuzzConsole";
}

CInProcessMonitor::CInProcessMonitor() = default;

CInProcessMonitor::~CInProcessMonitor()
{
    MainWindowLink().Withdraw();
    if (m_dwWindowThreadId)
        ::PostThreadMessageA(m_dwWindowThreadId, WM_QUIT, 0, 0);
    if (m_windowThread.joinable())
        m_windowThread.join();
    // The listener blocks in ConnectNamedPipe for the life of the process.
    if (m_hListener)
        ::CloseHandle(m_hListener);
}

bool CInProcessMonitor::Start()
{
    g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    g_uAppMonUpdateMessage = ::RegisterWindowMessageA("ZOV_APPMON_UPD");
    m_windowThread = std::thread(&CInProcessMonitor::WindowThread, this);
    while (!m_hWnd && !m_bWindowFailed)
        ::Sleep(1);
    if (m_bWindowFailed || !g_hClientTableMutex)
        return false;
    MainWindowLink().Publish(m_hWnd, false);
    m_hListener = ::CreateThread(nullptr, 0, &PipeListenerProc, &MainWindowLink(), 0, nullptr);
    return m_hListener != nullptr;
}

bool CInProcessMonitor::ListenerEnded() const
{
    return ::WaitForSingleObject(m_hListener, 0) == WAIT_OBJECT_0;
}

void CInProcessMonitor::WindowThread()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &CInProcessMonitor::WndProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc);
    HWND hWnd =
        ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!hWnd)
    {
        m_bWindowFailed = true;
        return;
    }
    ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before anyone posts
    m_dwWindowThreadId = ::GetCurrentThreadId();
    m_hWnd = hWnd;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    ::DestroyWindow(hWnd);
}

LRESULT CALLBACK CInProcessMonitor::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* pThis = reinterpret_cast<CInProcessMonitor*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (pThis && message == g_uAppMonUpdateMessage)
    {
        ++pThis->m_nLines;
        return 0;
    }
    if (pThis && message == WM_COMMAND && LOWORD(wParam) == ID_EXIT_MONITOR)
    {
        ++pThis->m_nExitCommands;
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}
