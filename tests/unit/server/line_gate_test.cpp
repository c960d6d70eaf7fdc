// The line gate of CMainWindowLink: console lines sent from many threads without
// pause must not keep messages posted to the window waiting (the Exit command,
// COM calls), the window's own thread never waits at the gate, and a window that
// goes opens it for the senders waiting there.
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "ui/resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace
{

constexpr int kSenders = 16;
constexpr char kClassName[] = "TessalyLineGateTestWindow";

// A window on a thread of its own that treats console lines as the main frame
// does (show, then let posted messages through) and notes when a posted Exit
// command arrives. Inside the Exit command it sends a line itself, as the
// monitor's logger may on the window's thread.
class CFloodedWindow
{
public:
    // bReopen false: the window never reopens the gate (a window that goes before
    // the messages ahead of its reopening have been handled).
    CFloodedWindow(CMainWindowLink& link, bool bReopen) : m_link(link), m_bReopen(bReopen)
    {
        if (g_uAppMonUpdateMessage == 0)
            g_uAppMonUpdateMessage = ::RegisterWindowMessageA("ZOV_APPMON_UPD");
        std::unique_lock<std::mutex> lock(m_mutex);
        m_thread = std::thread(&CFloodedWindow::ThreadMain, this);
        m_ready.wait(lock, [this] { return m_hWnd != nullptr; });
    }
    ~CFloodedWindow()
    {
        ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    CFloodedWindow(const CFloodedWindow&) = delete;
    CFloodedWindow& operator=(const CFloodedWindow&) = delete;

    HWND GetHwnd() const { return m_hWnd; }
    long Lines() const { return m_nLines.load(); }
    // Milliseconds from dwPosted until the Exit command was handled; -1 while it is not.
    bool ExitHandled() const { return m_dwExitHandled.load() != 0; }
    long ExitLatency(DWORD dwPosted) const
    {
        return m_dwExitHandled.load() ? static_cast<long>(m_dwExitHandled.load() - dwPosted) : -1;
    }
    DWORD OwnLineMs() const { return m_dwOwnLineMs.load(); }

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* pThis = reinterpret_cast<CFloodedWindow*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (pThis && message == g_uAppMonUpdateMessage)
        {
            ++pThis->m_nLines;
            pThis->m_link.LetPostedMessagesThrough();
            return 0;
        }
        if (pThis && message == WM_REOPENLINEGATE)
        {
            if (pThis->m_bReopen)
                pThis->m_link.LineGate().Open();
            return 0;
        }
        if (pThis && message == WM_COMMAND && LOWORD(wParam) == ID_EXIT_MONITOR)
        {
            pThis->m_dwExitHandled = ::GetTickCount() | 1;
            const DWORD dwStart = ::GetTickCount();
            pThis->m_link.SendConsoleLine(1, "a line of the window's own thread");
            pThis->m_dwOwnLineMs = ::GetTickCount() - dwStart;
            return 0;
        }
        if (message == WM_CLOSE)
        {
            ::DestroyWindow(hWnd);
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    }

    void ThreadMain()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &CFloodedWindow::WndProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        ::RegisterClassA(&wc);
        HWND hWnd = ::CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      wc.hInstance, nullptr);
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_hWnd = hWnd;
        }
        m_ready.notify_all();
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
            ::DispatchMessageA(&msg);
    }

    CMainWindowLink& m_link;
    const bool m_bReopen;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    HWND m_hWnd = nullptr;
    std::atomic<long> m_nLines{0};
    std::atomic<DWORD> m_dwExitHandled{0};
    std::atomic<DWORD> m_dwOwnLineMs{0};
    std::thread m_thread;
};

// Threads that send lines through the link without pause until stopped.
class CLineFlood
{
public:
    explicit CLineFlood(CMainWindowLink& link)
    {
        for (int i = 0; i < kSenders; ++i)
            m_senders.emplace_back([this, &link] {
                while (!m_bStop)
                {
                    if (!link.SendConsoleLine(0, "flood"))
                        ++m_nDropped;
                }
            });
    }
    ~CLineFlood() { Stop(); }
    CLineFlood(const CLineFlood&) = delete;
    CLineFlood& operator=(const CLineFlood&) = delete;

    void Stop()
    {
        m_bStop = true;
        for (std::thread& sender : m_senders)
        {
            if (sender.joinable())
                sender.join();
        }
    }
    long Dropped() const { return m_nDropped.load(); }

private:
    std::atomic<bool> m_bStop{false};
    std::atomic<long> m_nDropped{0};
    std::vector<std::thread> m_senders;
};

} // namespace

TEST(LineGate, APostedExitCommandIsHandledPromptlyWhileLinesFloodTheWindow)
{
    CMainWindowLink link;
    CFloodedWindow window(link, true);
    link.Publish(window.GetHwnd(), false);
    CLineFlood flood(link);
    ASSERT_TRUE([&] {
        for (int i = 0; i < 200 && window.Lines() < 1000; ++i)
            ::Sleep(10);
        return window.Lines() >= 1000;
    }()) << "the flood did not start";

    const DWORD dwPosted = ::GetTickCount();
    ASSERT_TRUE(::PostMessageA(window.GetHwnd(), WM_COMMAND, ID_EXIT_MONITOR, 0));
    for (int i = 0; i < 300 && window.ExitLatency(dwPosted) < 0; ++i)
        ::Sleep(10);
    const long nLatency = window.ExitLatency(dwPosted);
    std::printf("posted command handled after %ld ms, %ld lines shown\n", nLatency, window.Lines());
    EXPECT_GE(nLatency, 0) << "the posted command waited for more than 3 s";
    EXPECT_LT(nLatency, 500) << "ms until the posted command was handled";
    EXPECT_LT(window.OwnLineMs(), static_cast<DWORD>(CLineGate::kWaitMs / 2))
        << "the window's own thread waited at the gate";
    const long nLinesBefore = window.Lines();
    ::Sleep(200);
    EXPECT_GT(window.Lines(), nLinesBefore) << "the lines did not flow again";
    flood.Stop();
    link.Withdraw();
}

TEST(LineGate, SendersWaitingAtAClosedGateDropTheirLinesOnceTheWindowIsWithdrawn)
{
    CMainWindowLink link;
    CFloodedWindow window(link, false);
    link.Publish(window.GetHwnd(), false);
    CLineFlood flood(link);
    ::Sleep(100);
    // A posted message closes the gate for good here; then the window withdraws
    // (as the frame does in WM_DESTROY).
    ASSERT_TRUE(::PostMessageA(window.GetHwnd(), WM_COMMAND, ID_EXIT_MONITOR, 0));
    for (int i = 0; i < 300 && !window.ExitHandled(); ++i)
        ::Sleep(10);
    ASSERT_TRUE(window.ExitHandled());
    ::Sleep(100);
    const long nLinesWhileClosed = window.Lines();
    ::Sleep(300);
    EXPECT_EQ(nLinesWhileClosed, window.Lines()) << "lines passed the closed gate";
    link.Withdraw();
    const DWORD dwStart = ::GetTickCount();
    flood.Stop();
    EXPECT_LT(::GetTickCount() - dwStart, CLineGate::kWaitMs / 2)
        << "ms until every sender stopped";
    EXPECT_GT(flood.Dropped(), 0);
}
