// The end outside debug mode against a client that registers meanwhile: the pipe
// server's request holds only if the table is still empty when the window acts on
// it, the user's Exit always holds, and once the end is decided no INIT is
// answered. (The decision is final, hence an exe of its own.)
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "PipeServer.h"
#include "RecordingWindow.h"
#include "TestPipeClient.h"
#include "ui/resource.h"

#include <gtest/gtest.h>

TEST(ExitRace, OnlyARequestThatFindsTheTableStillEmptyEndsTheMonitorAndTheUsersExitAlwaysDoes)
{
    g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    CRecordingWindow window(true);
    MainWindowLink().Publish(window.GetHwnd(), false);
    ::CloseHandle(::CreateThread(nullptr, 0, &PipeListenerProc, &MainWindowLink(), 0, nullptr));

    // The window is busy until the pipe server's request waits for it.
    HANDLE hHeld = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE hRelease = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    window.Post([&] {
        ::SetEvent(hHeld);
        if (WaitForSentMessage(5000))
            ::SetEvent(hHeld);
        ::WaitForSingleObject(hRelease, 5000);
    });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hHeld, 5000));
    CTestPipeClient leaving, client, late;
    ASSERT_TRUE(leaving.Open());
    ASSERT_EQ("SUCCESS", leaving.Transact("TERMINATE;")); // no client: the table stays empty
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hHeld, 5000));
    ASSERT_TRUE(client.Open());
    ASSERT_EQ("SUCCESS", client.Transact("INIT;5|a|b"));
    ::SetEvent(hRelease);
    ASSERT_TRUE(window.WaitForExitCommand(5000));
    EXPECT_EQ(0, window.Exits()) << "the client registered after the request keeps the monitor";
    EXPECT_EQ("SUCCESS", client.Transact("SINFO;still served"));

    // The user's Exit, sent from another thread as the uninstaller sends it.
    ::SendMessageA(window.GetHwnd(), WM_COMMAND, ID_EXIT_MONITOR, 0);
    EXPECT_EQ(1, window.Exits());
    ASSERT_TRUE(late.Open());
    EXPECT_EQ("<broken>", late.Transact("INIT;6|a|b")) << "no SUCCESS that the end would ignore";
    MainWindowLink().Withdraw();
}
