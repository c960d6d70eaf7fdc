// The listener against a pipe name that another process created first (a squatter,
// or a second monitor): it must not join that pipe, and the monitor must end
// rather than run on serving nobody, in debug mode too. Wine ignores the
// first-instance flag, so these cases exercise the listener's own check of the
// name; the flag does the same job on Windows.
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "PipeProtocol.h"
#include "PipeServer.h"
#include "RecordingWindow.h"
#include "TestPipeClient.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

struct HandleCloser
{
    void operator()(HANDLE h) const
    {
        if (h && h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// The squatter's pipe: one compatible with ours (clients could be served by
// either server) or one that allows a single instance of another type.
UniqueHandle Squat(bool bCompatible)
{
    HANDLE hPipe = bCompatible ? ::CreateNamedPipeA(Protocol::kPipeName, PIPE_ACCESS_DUPLEX,
                                                    PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE,
                                                    PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr)
                               : ::CreateNamedPipeA(Protocol::kPipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                                    1, 0, 0, 0, nullptr);
    return UniqueHandle(hPipe);
}

UniqueHandle StartListener(CMainWindowLink& link)
{
    if (!g_hClientTableMutex)
        g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    return UniqueHandle(::CreateThread(nullptr, 0, &PipeListenerProc, &link, 0, nullptr));
}

// Clients can reach the squatter's one waiting instance and nothing of ours.
void ExpectOnlyTheSquatterServes()
{
    HANDLE hFirst = ::CreateFileA(Protocol::kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    UniqueHandle first(hFirst);
    EXPECT_NE(INVALID_HANDLE_VALUE, hFirst) << "the squatter's instance";
    HANDLE hSecond = ::CreateFileA(Protocol::kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    const DWORD dwError = ::GetLastError();
    UniqueHandle second(hSecond);
    EXPECT_EQ(INVALID_HANDLE_VALUE, hSecond) << "an instance of the monitor was left waiting";
    EXPECT_EQ(static_cast<DWORD>(ERROR_PIPE_BUSY), dwError);
}

} // namespace

TEST(PipeSquatTest, ANameTakenBeforeTheListenerEndsTheMonitorInEitherMode)
{
    struct Case
    {
        bool bCompatibleSquatter;
        bool bDebugMode;
    };
    for (const Case& c : {Case{true, false}, Case{false, true}})
    {
        SCOPED_TRACE(c.bCompatibleSquatter ? "compatible squatter, normal mode"
                                           : "one-instance squatter, debug mode");
        UniqueHandle squatter = Squat(c.bCompatibleSquatter);
        ASSERT_NE(INVALID_HANDLE_VALUE, squatter.get());
        CRecordingWindow window;
        CMainWindowLink link;
        link.Publish(window.GetHwnd(), c.bDebugMode);

        UniqueHandle listener = StartListener(link);
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(listener.get(), 10000)) << "the listener must give up";
        EXPECT_TRUE(window.WaitForExitCommand(5000));
        EXPECT_EQ(1, window.ExitCommands());
        ExpectOnlyTheSquatterServes();
    }
}

TEST(PipeSquatTest, AnExitRequestedBeforeTheWindowIsPublishedArrivesWhenItIs)
{
    UniqueHandle squatter = Squat(true);
    ASSERT_NE(INVALID_HANDLE_VALUE, squatter.get());
    CMainWindowLink link;
    UniqueHandle listener = StartListener(link);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(listener.get(), 10000));

    CRecordingWindow window;
    link.Publish(window.GetHwnd(), false);
    EXPECT_TRUE(window.WaitForExitCommand(5000));
    link.Withdraw();
    link.Publish(window.GetHwnd(), false);
    ::Sleep(100);
    EXPECT_EQ(1, window.ExitCommands()) << "one request, one Exit command";
}

// Last in this file: the listener it starts serves until the process ends.
TEST(PipeSquatTest, ANameReleasedWithinTheGraceTimeIsTakenAndServed)
{
    UniqueHandle squatter = Squat(true);
    ASSERT_NE(INVALID_HANDLE_VALUE, squatter.get());
    CRecordingWindow window;
    MainWindowLink().Publish(window.GetHwnd(), true);
    UniqueHandle listener = StartListener(MainWindowLink());
    ::Sleep(300); // a monitor that is still ending lets go of the name
    squatter.reset();

    CTestPipeClient client;
    ASSERT_TRUE(client.Open(5000));
    EXPECT_EQ("SUCCESS", client.Transact("INIT;5|a|b")) << "the monitor serves, the squatter never answered";
    EXPECT_EQ("SUCCESS", client.Transact("TERMINATE;"));
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(listener.get(), 0));
    EXPECT_EQ(0, window.ExitCommands());
    MainWindowLink().Withdraw();
}
