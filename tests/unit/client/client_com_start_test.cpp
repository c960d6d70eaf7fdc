// Finding and starting the monitor through COM with the real Varnel.dll: the
// monitor's class is registered as a local server whose program
// (client_test_monitor.exe) COM starts for a class-object request; the pipe is the
// recording stand-in, created as late as a case needs.
#include "ClientTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace
{

const char kPath[] = "C:\\apps\\tool.exe";

// COM may take its time to start a program under Wine.
constexpr DWORD kStartTimeoutMs = 20000;

class ClientComStart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_installation.Install();
        ASSERT_TRUE(m_monitor.IsRegistered()) << "a test monitor of an earlier run is still alive";
        ASSERT_TRUE(m_varnel.Load());
    }

    CScopedInstallation m_installation;
    CScopedEnvironmentVariable m_noDebugMode{"QX_LMDEBUGLOGLEVEL", nullptr};
    CComStartableMonitor m_monitor;
    std::unique_ptr<CRecordingPipeServer> m_pServer;
    CVarnelLibrary m_varnel; // unloaded before the server and the monitor go
};

} // namespace

// ZOVLC_Initialize looks for the monitor, and so has COM start it, before it checks
// its arguments; ZOVLC_InitializeEx checks them first and leaves COM alone.
TEST_F(ClientComStart, InitializeProbesBeforeItsArgumentCheckInitializeExDoesNot)
{
    EXPECT_EQ(-2, m_varnel.InitializeEx(1, nullptr, "x", 0));
    EXPECT_EQ(-2, m_varnel.InitializeEx(0, kPath, "x", 0));
    // COM returns the class object only once the started program has registered it,
    // so a probe would have shown by now.
    EXPECT_FALSE(m_monitor.HasStarted());
    EXPECT_EQ(0u, CComStartableMonitor::RunningCount());

    EXPECT_EQ(-2, m_varnel.Initialize(0, kPath, "x"));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_monitor.StartedEvent(), kStartTimeoutMs));
    EXPECT_EQ(1u, CComStartableMonitor::RunningCount());
}

// With an empty "Location" no monitor qualifies, so none is started for a host.
TEST_F(ClientComStart, AnEmptyLocationStartsNoMonitor)
{
    m_varnel.Unload();
    m_installation.SetLocation("");
    ASSERT_TRUE(m_varnel.Load());
    EXPECT_EQ(0, m_varnel.Initialize(42, kPath, "x"));
    m_varnel.CleanUp();
    EXPECT_EQ(0, m_varnel.InitializeEx(43, kPath, "x", 0));
    m_varnel.CleanUp();
    EXPECT_FALSE(m_monitor.HasStarted());
}

// A monitor that COM has just started creates its pipe a little later: the
// announcement waits for the pipe to appear instead of giving up at once.
TEST_F(ClientComStart, FreshlyStartedMonitorIsWaitedForUntilItsPipeAppears)
{
    CRecordingPipeServer::Options options;
    options.hStartEvent = m_monitor.StartedEvent();
    options.dwStartDelayMs = 1000;
    m_pServer = std::make_unique<CRecordingPipeServer>(m_installation.Folder(), options);

    const DWORD dwStart = GetTickCount();
    ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));
    EXPECT_GE(ElapsedSince(dwStart), 900u);
    ASSERT_TRUE(m_pServer->WaitForRequests(1, 0)) << "INIT must have arrived before Initialize returned";
    m_varnel.CleanUp();
    ASSERT_TRUE(m_pServer->WaitForRequests(2));
    EXPECT_EQ(std::vector<std::string>({"INIT;42|C:\\apps\\tool.exe|beta", "TERMINATE;"}),
              Normalised(m_pServer->Requests()));

    // The monitor now runs: the next initialisation reaches it the same way.
    ASSERT_EQ(0, m_varnel.InitializeEx(43, kPath, "beta", 0));
    ASSERT_TRUE(m_pServer->WaitForRequests(3, 0));
    m_varnel.CleanUp();
}

// The wait has a limit: a started monitor that never opens its pipe costs a few
// seconds, not a hang, and the result stays 0.
TEST_F(ClientComStart, AStartedMonitorWithoutAPipeIsGivenUpOnInBoundedTime)
{
    const DWORD dwStart = GetTickCount();
    ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));
    const DWORD dwElapsed = ElapsedSince(dwStart);
    EXPECT_TRUE(m_monitor.HasStarted());
    EXPECT_GE(dwElapsed, 4500u);
    EXPECT_LT(dwElapsed, 15000u);
    m_varnel.CleanUp();
}

// A monitor found running is not waited for: its pipe is opened at once or not at
// all, as before.
TEST_F(ClientComStart, RunningMonitorIsNotWaitedFor)
{
    CRunningMonitorObject running;
    ASSERT_TRUE(running.IsRegistered());
    CRecordingPipeServer::Options options;
    options.dwStartDelayMs = 1000;
    m_pServer = std::make_unique<CRecordingPipeServer>(m_installation.Folder(), options);

    const DWORD dwStart = GetTickCount();
    ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));
    EXPECT_LT(ElapsedSince(dwStart), 900u);
    EXPECT_FALSE(m_monitor.HasStarted()) << "the running monitor was found first";
    m_varnel.CleanUp();
    Sleep(1500);
    EXPECT_TRUE(m_pServer->Requests().empty());
    m_varnel.Unload();
}

// Two hosts that find no monitor at the same moment can each have COM start one.
// The monitor started for this host meets the other, already running, and ends
// without offering its class object, so the class-object request fails: the host
// must still find the monitor that stays, and wait for its pipe like any first host.
TEST(ClientComStartRace, AMonitorStartedForAnotherHostMeanwhileIsFoundWhenTheOwnStartEnds)
{
    CScopedInstallation installation;
    installation.Install();
    CScopedEnvironmentVariable noDebugMode("QX_LMDEBUGLOGLEVEL", nullptr);
    CComStartableMonitor duplicate(CComStartableMonitor::Behaviour::kEndsAsDuplicate);
    ASSERT_TRUE(duplicate.IsRegistered()) << "a test monitor of an earlier run is still alive";
    // The monitor that stays: it has its pipe a moment after its running object.
    CRecordingPipeServer::Options options;
    options.hStartEvent = duplicate.StartedEvent();
    options.dwStartDelayMs = 500;
    CRecordingPipeServer server(installation.Folder(), options);

    // While the started program runs, the other monitor enters the running-object
    // table; then the started program ends, as a duplicate monitor does.
    std::unique_ptr<CRunningMonitorObject> pOtherMonitor;
    std::thread otherHostsStart([&] {
        if (WaitForSingleObject(duplicate.StartedEvent(), kStartTimeoutMs) != WAIT_OBJECT_0)
            return;
        pOtherMonitor = std::make_unique<CRunningMonitorObject>();
        duplicate.EndStartedPrograms();
    });

    CVarnelLibrary varnel;
    ASSERT_TRUE(varnel.Load());
    EXPECT_EQ(0, varnel.Initialize(42, kPath, "beta"));
    otherHostsStart.join();
    ASSERT_TRUE(pOtherMonitor && pOtherMonitor->IsRegistered());
    EXPECT_TRUE(server.WaitForRequests(1, 0)) << "INIT must have arrived before Initialize returned";
    varnel.CleanUp();
    ASSERT_TRUE(server.WaitForRequests(2));
    EXPECT_EQ(std::vector<std::string>({"INIT;42|C:\\apps\\tool.exe|beta", "TERMINATE;"}),
              Normalised(server.Requests()));
    varnel.Unload();
}
