#include "RecordingWindow.h"

#include "ClientTable.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "Polling.h"
#include "ui/resource.h"

#include <memory>

namespace
{
constexpr char kClassName[] = "TessalyTestRecordingWindow";
constexpr UINT kRunTaskMessage = WM_APP + 77; // lParam: a heap std::function<void()>
} // namespace

CRecordingWindow::CRecordingWindow(bool bDecideExits) : m_bDecideExits(bDecideExits)
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
    if (pThis && message == WM_DRAINCONSOLELINES)
    {
        Console::CConsoleLineQueue& queue = MainWindowLink().Lines();
        for (Console::CLineGroup group = queue.TakeWaiting(); group.Size() > 0; group = queue.TakeWaiting())
        {
            {
                std::lock_guard<std::mutex> lock(pThis->m_lock);
                for (const Console::CWaitingLine* pLine = group.First(); pLine; pLine = group.Next(pLine))
                    pThis->m_lines.push_back({static_cast<int>(pLine->Class()), pLine->Text()});
            }
            queue.MarkShown(group);
            pThis->m_changed.notify_all();
        }
        return 0;
    }
    if (pThis && message == WM_COMMAND && LOWORD(wParam) == ID_EXIT_MONITOR)
    {
        const bool bExit = pThis->m_bDecideExits && DecideExit(::InSendMessage() != FALSE);
        std::lock_guard<std::mutex> lock(pThis->m_lock);
        ++pThis->m_nExitCommands;
        pThis->m_nExits += bExit ? 1 : 0;
        pThis->m_changed.notify_all();
        return 0;
    }
    if (message == kRunTaskMessage)
    {
        std::unique_ptr<std::function<void()>> pTask(reinterpret_cast<std::function<void()>*>(lParam));
        (*pTask)();
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

int CRecordingWindow::Exits() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_nExits;
}

void CRecordingWindow::Post(std::function<void()> task)
{
    auto* pTask = new std::function<void()>(std::move(task));
    if (!::PostMessageA(m_hWnd, kRunTaskMessage, 0, reinterpret_cast<LPARAM>(pTask)))
        delete pTask;
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

bool WaitForSentMessage(DWORD dwMilliseconds)
{
    return WaitUntil([] { return (HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; },
                     dwMilliseconds, 1);
}

bool WaitForPostedMessage(DWORD dwMilliseconds)
{
    return WaitUntil([] { return (HIWORD(::GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE) != 0; },
                     dwMilliseconds, 1);
}
