// The monitor's own logger lines: shown whole however long, and the window's
// thread writing while another thread's line waits for that thread does not
// leave the two waiting for each other.
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "RecordingWindow.h"
#include "ShowLogLine.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

TEST(MonitorLogger, ALineIsShownWithAllOfItsText)
{
    CRecordingWindow window;
    MainWindowLink().Publish(window.GetHwnd(), false);
    ShowLogLine(std::string(4095, 'x').c_str(), 2); // the longest text the logger converts
    MainWindowLink().Withdraw();
    ASSERT_EQ(1u, window.Lines().size());
    const std::string strLine = window.Lines()[0].strText;
    EXPECT_EQ(0u, strLine.find("SINFO;[[")) << strLine.substr(0, 40);
    EXPECT_EQ(strLine.find("]-> ") + 4 + 4095, strLine.size()) << "the text was cut";
}

namespace
{

// The other thread's line holds the logger's lock and waits for the window's
// thread: in a sent message, or in the link's queue for a window that drains it.
void WriteOnTheWindowsThreadWhileAnotherLineWaits(bool bDrainsQueue)
{
    ::SetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", "ZOVLOGGER=1;ALL");
    // Both are left behind: threads that hang must find them, and the other
    // thread may still be on its way out of the logger.
    auto* const pLoggers = new Marvane::NativeLogging::LoggerSet;
    auto* const pWindow = new CRecordingWindow;
    Marvane::NativeLogging::ILogger* pLogger = ConfigureMonitorLogging(*pLoggers, nullptr).logger;
    ASSERT_NE(nullptr, pLogger);
    MainWindowLink().Publish(pWindow->GetHwnd(), false, bDrainsQueue);
    HANDLE hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    pWindow->Post([&] {
        std::thread([pLogger] { pLogger->Info(L"another thread's line"); }).detach();
        if (bDrainsQueue)
            WaitForPostedMessage(5000);
        else
            WaitForSentMessage(5000);
        pLogger->Info(L"the window thread's line");
        ::SetEvent(hDone);
    });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hDone, 10000)) << "the two threads wait for each other";
    MainWindowLink().Withdraw();
    ASSERT_EQ(2u, pWindow->Lines().size());
    EXPECT_NE(std::string::npos, pWindow->Lines()[0].strText.find("another thread's line"));
    EXPECT_NE(std::string::npos, pWindow->Lines()[1].strText.find("the window thread's line"));
}

} // namespace

TEST(MonitorLogger, TheWindowsThreadWritingWhileAnotherLineWaitsForItDoesNotHang)
{
    WriteOnTheWindowsThreadWhileAnotherLineWaits(false);
    WriteOnTheWindowsThreadWhileAnotherLineWaits(true);
}

// The window's thread waiting for the logger opens the line gate: the thread that
// holds the logger may be waiting there, for posted messages that the window's
// thread does not handle meanwhile.
TEST(MonitorLogger, TheWindowsThreadWaitingForTheLoggerLetsTheGatedLineThrough)
{
    ::SetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", "ZOVLOGGER=1;ALL");
    auto* const pLoggers = new Marvane::NativeLogging::LoggerSet; // left behind, as above
    auto* const pWindow = new CRecordingWindow;
    Marvane::NativeLogging::ILogger* pLogger = ConfigureMonitorLogging(*pLoggers, nullptr).logger;
    ASSERT_NE(nullptr, pLogger);
    MainWindowLink().Publish(pWindow->GetHwnd(), false);
    HANDLE hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD dwOwnLineMs = 0;
    pWindow->Post([&] {
        // A message waiting to be handled closes the gate.
        ::PostMessageA(pWindow->GetHwnd(), WM_NULL, 0, 0);
        MainWindowLink().LetPostedMessagesThrough();
        std::thread([pLogger] { pLogger->Info(L"a gated line"); }).detach();
        ::Sleep(200); // it holds the logger and waits at the gate
        const DWORD dwStart = ::GetTickCount();
        pLogger->Info(L"the window thread's line");
        dwOwnLineMs = ::GetTickCount() - dwStart;
        ::SetEvent(hDone);
    });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hDone, 10000));
    MainWindowLink().Withdraw();
    EXPECT_LT(dwOwnLineMs, 600u) << "the line waited out the gate";
    ASSERT_EQ(2u, pWindow->Lines().size());
    EXPECT_NE(std::string::npos, pWindow->Lines()[0].strText.find("a gated line"));
}
