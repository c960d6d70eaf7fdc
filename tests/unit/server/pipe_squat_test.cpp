// Which monitor serves the pipe. Another monitor's listener, holding the listener
// mutex, makes this one end (in debug mode too) without ever creating an instance
// of the pipe, and so does another user's process that holds the mutex's name; instances that other processes hold under the pipe's name (those
// of a monitor that has gone, still held by its hosts) do not stop it. Hosts tell
// the monitor from a squatter by the program that serves their instance (the
// client library's tests).
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "PipeProtocol.h"
#include "PipeServer.h"
#include "RecordingWindow.h"
#include "TestPipeClient.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <memory>
#include <thread>

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

UniqueHandle StartListener(CMainWindowLink& link)
{
    if (!g_hClientTableMutex)
        g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    return UniqueHandle(::CreateThread(nullptr, 0, &PipeListenerProc, &link, 0, nullptr));
}

// Another monitor's listener: a thread that owns the listener mutex until released.
class COtherListener
{
public:
    COtherListener()
        : m_hOwned(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_hRelease(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        m_thread = std::thread([this] {
            UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, ListenerMutexName().c_str()));
            ::WaitForSingleObject(mutex.get(), INFINITE);
            ::SetEvent(m_hOwned.get());
            ::WaitForSingleObject(m_hRelease.get(), INFINITE);
            ::ReleaseMutex(mutex.get());
        });
        ::WaitForSingleObject(m_hOwned.get(), INFINITE);
    }
    ~COtherListener()
    {
        ::SetEvent(m_hRelease.get());
        m_thread.join();
    }

private:
    UniqueHandle m_hOwned;
    UniqueHandle m_hRelease;
    std::thread m_thread;
};

} // namespace

TEST(PipeSquatTest, AnotherMonitorsListenerEndsTheMonitorInEitherModeWithoutAnInstance)
{
    COtherListener other;
    for (const bool bDebugMode : {false, true})
    {
        SCOPED_TRACE(bDebugMode ? "debug mode" : "normal mode");
        CRecordingWindow window;
        CMainWindowLink link;
        link.Publish(window.GetHwnd(), bDebugMode);
        UniqueHandle listener = StartListener(link);
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(listener.get(), 10000)) << "the listener must give up";
        EXPECT_TRUE(window.WaitForExitCommand(5000));
        EXPECT_EQ(1, window.ExitCommands());
        EXPECT_EQ(ListenerOutcome::kAnotherMonitorServes, PipeListenerOutcome(nullptr));
        EXPECT_FALSE(::WaitNamedPipeA(Protocol::kPipeName, 1)) << "it must not join the other's pipe";
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
    }
}

TEST(PipeSquatTest, AnExitRequestedBeforeTheWindowIsPublishedArrivesWhenItIs)
{
    COtherListener other;
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

// Instances that others hold under the pipe's name do not shut the monitor out:
// on Windows an instance whose server has gone, still held by a host, keeps the
// name, and a first-instance creation then fails. Wine no longer counts such an
// instance, so the one here keeps its server, busy with its host. The listener this
// case starts serves until the process ends.
TEST(PipeSquatTest, InstancesThatOthersHoldUnderThePipesNameDoNotShutOutTheMonitor)
{
    UniqueHandle otherServer(::CreateNamedPipeA(Protocol::kPipeName, Protocol::kPipeOpenMode,
                                                Protocol::kPipeMode, Protocol::kPipeMaxInstances, 4096, 4096,
                                                0, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, otherServer.get());
    CTestPipeClient otherHost;
    ASSERT_TRUE(otherHost.Open(1000));

    CRecordingWindow window;
    MainWindowLink().Publish(window.GetHwnd(), true);
    UniqueHandle listener = StartListener(MainWindowLink());
    CTestPipeClient client;
    ASSERT_TRUE(client.Open(5000));
    EXPECT_EQ("SUCCESS", client.Transact("INIT;5|a|b"));
    EXPECT_EQ("SUCCESS", client.Transact("TERMINATE;"));
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(listener.get(), 0));
    EXPECT_EQ(0, window.ExitCommands());
    MainWindowLink().Withdraw();
}

// A process of another user that made the listener mutex under the user's name
// does not keep the monitor waiting for a lock that no monitor will give up: it
// ends at once and says why. (The mutex here names the system as its owner, as
// Wine lets a process do.)
TEST(PipeSquatTest, AListenerMutexOfAnotherUserEndsTheMonitorAtOnceAndSaysWhy)
{
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("O:SYD:(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                       &pDescriptor, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), pDescriptor, FALSE};
    UniqueHandle squatted(::CreateMutexA(&attributes, TRUE, ListenerMutexName().c_str()));
    ::LocalFree(pDescriptor);
    ASSERT_NE(nullptr, squatted.get());

    CRecordingWindow window;
    CMainWindowLink link;
    link.Publish(window.GetHwnd(), false);
    const DWORD dwStart = ::GetTickCount();
    UniqueHandle listener = StartListener(link);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(listener.get(), 10000));
    EXPECT_LT(::GetTickCount() - dwStart, 1000u) << "it waited for a lock that no monitor gives up";
    EXPECT_EQ(ListenerOutcome::kLockHeldByAnotherUser, PipeListenerOutcome(nullptr));
    EXPECT_TRUE(window.WaitForExitCommand(5000));
}
