#include "RecordingWindow.h"

#include "MonitorGlobals.h"
#include "ui/resource.h"

namespace
{
constexpr char kClassName[] = "TessalyTestRecordingWindow";
}

CRecordingWindow::CRecordingWindow()
{
    if (g_uAppMonUpdateMessage == 0)
        g_uAppMonUpdateMessage = ::RegisterWindowMessageA("ZOV_APPMON_UPD");
    std::unique_lock<std::mutex> lock(m_lock);
    m_thread = std::thread(&CRecordingWindow::ThreadMain, this);
    m_changed.wait(lock, [this] { return m_dwThreadId != 0; });
}

CRecordingWindow::~CRecordingWindow()
{
    ::PostThreadMessageA(m_dwThreadId, WM_QUIT, 0, 0);
    m_thread.join();
}

void CRecordingWindow::ThreadMain()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &CRecordingWindow::WndProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc);
    HWND hWnd = ::CreateWindowExA(0, kClassName, "Tessaly test console", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // make the queue before anyone posts
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_hWnd = hWnd;
        m_dwThreadId = ::GetCurrentThreadId();
    }
    m_changed.notify_all();
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    if (::IsWindow(hWnd))
        ::DestroyWindow(hWnd);
}

LRESULT CALLBACK CRecordingWindow::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* pThis = reinterpret_cast<CRecordingWindow*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (pThis && message == g_uAppMonUpdateMessage)
    {
        std::lock_guard<std::mutex> lock(pThis->m_lock);
        pThis->m_lines.push_back(
            {static_cast<int>(wParam), lParam ? reinterpret_cast<const char*>(lParam) : ""});
        pThis->m_changed.notify_all();
        return 0;
    }
    if (pThis && message == WM_COMMAND && LOWORD(wParam) == ID_EXIT_MONITOR)
    {
        std::lock_guard<std::mutex> lock(pThis->m_lock);
        ++pThis->m_nExitCommands;
        pThis->m_changed.notify_all();
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

std::vector<RecordedLine> CRecordingWindow::Lines() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

int CRecordingWindow::ExitCommands() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_nExitCommands;
}

bool CRecordingWindow::WaitForLines(std::size_t nCount, DWORD dwMilliseconds) const
{
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(dwMilliseconds),
                              [&] { return m_lines.size() >= nCount; });
}

bool CRecordingWindow::WaitForExitCommand(DWORD dwMilliseconds) const
{
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(dwMilliseconds),
                              [&] { return m_nExitCommands > 0; });
}
