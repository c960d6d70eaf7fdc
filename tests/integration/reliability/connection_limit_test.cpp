// The monitor with as many clients at once as PIPE_UNLIMITED_INSTANCES (255)
// says, all registered together, each streaming lines and then leaving in one of
// three ways. The value means "no limit" rather than 255: one more client,
// arriving while all of them are connected, is served at once. Every client must
// be answered and noted as gone, and the monitor (outside debug mode) must end
// after the last.
#include "MonitorTestBase.h"
#include "PipeProtocol.h"
#include "ReliabilitySupport.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace
{

constexpr int kClients = static_cast<int>(Protocol::kPipeMaxInstances);
constexpr int kFirstId = 3000;
constexpr int kExtraId = kFirstId + kClients; // the client beyond 255
constexpr int kLinesPerClient = 10;
constexpr DWORD kStepLimitMs = 60000;

enum class Goodbye
{
    kTerminate,
    kClean,
    kDropped, // the handle is closed without a word
};

Goodbye GoodbyeOf(int nIndex)
{
    return static_cast<Goodbye>(nIndex % 3);
}

const char* const kLineKinds[] = {"INFO", "ERROR", "SINFO", "SERROR"};

// A manual-reset event the client threads wait on.
class CGate
{
public:
    CGate() : m_hEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~CGate() { ::CloseHandle(m_hEvent); }
    CGate(const CGate&) = delete;
    CGate& operator=(const CGate&) = delete;
    void Open() { ::SetEvent(m_hEvent); }
    bool Wait(DWORD dwMilliseconds)
    {
        return ::WaitForSingleObject(m_hEvent, dwMilliseconds) == WAIT_OBJECT_0;
    }

private:
    HANDLE m_hEvent;
};

class CLimitRun
{
public:
    void Client(int nIndex);
    void Failure(const std::string& strWhat)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_failures.push_back(strWhat);
    }
    std::vector<std::string> Failures()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_failures;
    }

    std::atomic<int> m_nRegistered{0};
    std::atomic<int> m_nFinished{0};
    CGate m_allMayStream;

    bool Exchange(CBoundedClient& client, int nId, const std::string& strRequest)
    {
        const std::string strReply = client.Transact(strRequest);
        if (strReply == "SUCCESS")
            return true;
        Failure("client " + std::to_string(nId) + ": \"" + strReply + "\" for " + strRequest);
        return false;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_failures;
};

void CLimitRun::Client(int nIndex)
{
    const int nId = kFirstId + nIndex;
    CBoundedClient client;
    if (!client.Open(kStepLimitMs))
    {
        Failure("client " + std::to_string(nId) + " found no instance");
        return;
    }
    if (!Exchange(client, nId, "INIT;" + std::to_string(nId) + "|C:\\limit\\client.exe|limit"))
        return;
    ++m_nRegistered;
    if (!m_allMayStream.Wait(kStepLimitMs))
        return;
    for (int nLine = 0; nLine < kLinesPerClient; ++nLine)
    {
        const std::string strLine = std::string(kLineKinds[nLine % 4]) + ";limit client " +
                                    std::to_string(nId) + " line " + std::to_string(nLine);
        if (!Exchange(client, nId, strLine))
            return;
    }
    switch (GoodbyeOf(nIndex))
    {
    case Goodbye::kTerminate:
        if (Exchange(client, nId, "TERMINATE;") && !client.WaitUntilClosedByMonitor())
            Failure("client " + std::to_string(nId) + ": left open after TERMINATE");
        break;
    case Goodbye::kClean:
        if (Exchange(client, nId, "CLEAN;") && !client.WaitUntilClosedByMonitor())
            Failure("client " + std::to_string(nId) + ": left open after CLEAN");
        break;
    case Goodbye::kDropped:
        client.Close();
        break;
    }
    ++m_nFinished;
}

class ConnectionLimit : public MonitorReliabilityTest
{
};

} // namespace

TEST_F(ConnectionLimit, TwoHundredFiftyFiveClientsAtOnceAreServedAndOneMoreIsServedToo)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    ASSERT_NE(nullptr, monitor.WaitForFrame());

    CLimitRun run;
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i)
        clients.emplace_back(&CLimitRun::Client, &run, i);
    EXPECT_TRUE(WaitUntil([&] { return run.m_nRegistered == kClients; }, kStepLimitMs))
        << run.m_nRegistered << " of " << kClients << " registered";

    // While all of them hold their connections, one more is served without waiting.
    CBoundedClient extra;
    ASSERT_TRUE(extra.Open(2000)) << "no instance for a client beyond 255";
    EXPECT_EQ("SUCCESS", extra.Transact("INIT;" + std::to_string(kExtraId) + "|C:\\limit\\extra.exe|extra"));
    EXPECT_EQ("SUCCESS", extra.Transact("SINFO;the client beyond 255 is served"));

    run.m_allMayStream.Open();
    for (std::thread& client : clients)
        client.join();
    EXPECT_EQ(kClients, run.m_nFinished.load());
    for (const std::string& strFailure : run.Failures())
        ADD_FAILURE() << strFailure;

    // Every client is noted as gone, in the way it went.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::string strConsole = monitor.ConsoleText();
            return CountOccurrences(strConsole, " has terminated.") +
                       CountOccurrences(strConsole, " is being cleaned up.") >=
                   static_cast<std::size_t>(kClients);
        },
        15000));
    const std::string strConsole = monitor.ConsoleText();
    for (int i = 0; i < kClients; ++i)
    {
        const int nId = kFirstId + i;
        const bool bTerminated = GoodbyeOf(i) == Goodbye::kTerminate;
        EXPECT_EQ(bTerminated ? 1u : 0u, CountOccurrences(strConsole, TerminatedNote(nId))) << nId;
        EXPECT_EQ(bTerminated ? 0u : 1u, CountOccurrences(strConsole, CleanedUpNote(nId))) << nId;
        EXPECT_EQ(1u, CountOccurrences(strConsole, "limit client " + std::to_string(nId) + " line 9\r\n"))
            << nId;
    }
    EXPECT_NE(std::string::npos, strConsole.find("the client beyond 255 is served"));
    EXPECT_TRUE(monitor.IsRunning()) << "the client beyond 255 is still registered";

    EXPECT_EQ("SUCCESS", extra.Transact("TERMINATE;"));
    ASSERT_TRUE(monitor.WaitForExit(15000));
    EXPECT_EQ(0u, monitor.ExitCode());
}
