// The pipe server's stop as the monitor ends: no thread serves a request after
// it, and it returns as soon as the steps in progress are done, even when one of
// them is sending a console line to the very thread that stops the server. One
// executable of its own: the stop lasts for the rest of the process.
#include "ClientTable.h"
#include "FuzzConnection.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "PipeServer.h"
#include "Polling.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace
{

constexpr DWORD kIoLimitMs = 5000;
constexpr DWORD kStopLimitMs = 5000;

std::atomic<int> g_nLinesShown{0};

LRESULT CALLBACK ConsoleProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_uAppMonUpdateMessage)
    {
        ++g_nLinesShown;
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

// A console window on the test's own thread, which pumps only when told to.
HWND CreateConsoleOnThisThread()
{
    g_uAppMonUpdateMessage = ::RegisterWindowMessageA("ZOV_APPMON_UPD");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &ConsoleProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "PipeServerStopConsole";
    ::RegisterClassA(&wc);
    return ::CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

bool SentMessageWaiting()
{
    return (HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0;
}

std::string Transact(CFuzzConnection& client, const std::string& strRequest, DWORD dwMilliseconds)
{
    std::string strReply;
    if (client.Write(strRequest + '\0', dwMilliseconds) != IoResult::kOk ||
        client.Read(strReply, dwMilliseconds) != IoResult::kOk)
        return "<no reply>";
    return strReply;
}

} // namespace

TEST(PipeServerStop, AStepInProgressIsFinishedAndNoRequestIsServedAfterwards)
{
    g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    HWND hConsole = CreateConsoleOnThisThread();
    ASSERT_NE(nullptr, hConsole);
    MainWindowLink().Publish(hConsole, true);
    HANDLE hListener = ::CreateThread(nullptr, 0, &PipeListenerProc, &MainWindowLink(), 0, nullptr);
    ASSERT_NE(nullptr, hListener);

    CFuzzConnection idle;
    ASSERT_TRUE(idle.Open(kIoLimitMs));
    ASSERT_EQ("SUCCESS", Transact(idle, "INIT;7|C:\\apps\\idle.exe|idle", kIoLimitMs));

    // A line on its way: its connection thread waits in SendMessage for this thread.
    std::string strBusyReply;
    std::thread busy([&strBusyReply] {
        CFuzzConnection client;
        if (client.Open(kIoLimitMs))
            strBusyReply = Transact(client, "SINFO;a line on its way", kStopLimitMs * 2);
    });
    EXPECT_TRUE(WaitUntil(&SentMessageWaiting, kIoLimitMs)) << "the line never reached the window";

    const DWORD dwStart = ::GetTickCount();
    StopPipeServerWork(kStopLimitMs);
    const DWORD dwStopMs = ::GetTickCount() - dwStart;
    busy.join();
    EXPECT_LT(dwStopMs, kStopLimitMs / 2) << "the stop waited out its limit";
    EXPECT_EQ("SUCCESS", strBusyReply);
    EXPECT_EQ(1, g_nLinesShown.load());

    // Every thread now stays where it is: no reply, no line, for an old
    // connection and for a new one alike.
    EXPECT_EQ("<no reply>", Transact(idle, "SINFO;after the stop", 1000));
    CFuzzConnection late;
    if (late.Open(1000))
    {
        EXPECT_EQ("<no reply>", Transact(late, "INIT;8|C:\\apps\\late.exe|late", 1000));
    }
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    EXPECT_EQ(1, g_nLinesShown.load());
    ::CloseHandle(hListener);
}
