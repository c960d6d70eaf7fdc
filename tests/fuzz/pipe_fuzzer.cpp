// Hostile clients for the monitor's pipe. Opens many connections at once to
// whatever serves \\.\pipe\ZOVLCMonPipe and sends a bounded, seeded stream of
// malformed requests (random bytes, messages without NUL, empty and oversize
// messages, ';' storms, INIT with huge or broken fields, log lines before INIT,
// repeated INIT, writes after TERMINATE, requests sent without waiting for the
// reply, connections dropped mid-request). Every reply must be exactly the
// 7 bytes "SUCCESS"; empty and oversize messages, TERMINATE and CLEAN must end
// the connection; nothing may take longer than the I/O time-out. Afterwards a
// clean INIT, log line and TERMINATE must still be served.
//
//   pipe_fuzzer [--in-process] <seed> <requests> <connections at a time>
//
// --in-process hosts the monitor's pipe server in this process and also checks
// that no client registration is left behind, that every connection thread
// ends, and that the monitor was never told to exit while a client remained.
// Without it, the fuzzer talks to a running monitor. One connection registers
// first and stays for the whole run, so a monitor outside debug mode keeps
// running until the end. Each connection's stream is reproducible from the seed;
// the interleaving of connections is not. Exit code 0 when nothing went wrong.
#include "CCommandData.h"
#include "FuzzConnection.h"
#include "HostileRequests.h"
#include "InProcessMonitor.h"
#include "InitPayload.h"
#include "Polling.h"
#include "Processes.h"
#include "ClientTable.h"
#include "ClientTableProbe.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{

constexpr DWORD kIoTimeoutMs = 10000;
constexpr DWORD kOpenTimeoutMs = 30000;
// The client ids of the connection that stays registered and of the final
// conversation; no hostile INIT may use them. Made from the process id, so that
// two fuzzers against one monitor do not share (and remove) each other's entry.
const std::int32_t kAnchorId = 1900000000 + static_cast<std::int32_t>(::GetCurrentProcessId() % 100000000u);
const std::int32_t kFinalId = kAnchorId + 1;
constexpr std::size_t kReportedViolations = 20;

struct Settings
{
    bool bInProcess = false;
    std::uint32_t uSeed = 0;
    long nRequests = 0;
    int nConnections = 0;
};

class CFuzzRun
{
public:
    explicit CFuzzRun(const Settings& settings) : m_settings(settings) {}

    void Worker(int nIndex);
    // The clean conversation that must still work after the storm.
    bool FinalConversation();
    bool OpenAnchor();
    bool CloseAnchor();
    void Violation(const char* pszWhat, const std::string& strRequest);
    void Print(double dSeconds) const;
    long Violations() const { return m_nViolations.load(); }

private:
    bool Claim() { return m_nClaimed.fetch_add(1) < m_settings.nRequests; }
    bool Expect(CFuzzConnection& connection, Outcome outcome, const std::string& strRequest);
    bool ExpectReply(CFuzzConnection& connection, const std::string& strRequest);
    bool ExpectClosed(CFuzzConnection& connection, const std::string& strRequest);

    const Settings m_settings;
    std::atomic<long> m_nClaimed{0};
    std::atomic<long> m_nSent{0};
    std::atomic<long> m_nReplies{0};
    std::atomic<long> m_nConnections{0};
    std::atomic<long> m_nServerCloses{0};
    std::atomic<long> m_nDropped{0};
    std::atomic<long> m_nViolations{0};
    mutable std::mutex m_reportLock;
    std::vector<std::string> m_reports;
    CFuzzConnection m_anchor;
};

// True when the monitor would register the anchor's id for this request.
bool RegistersReservedId(const std::string& strBytes)
{
    if (strBytes.empty() || strBytes.size() > 4096)
        return false;
    const std::string strText = strBytes.substr(0, std::strlen(strBytes.c_str()));
    const CCommandData command(strText.c_str(), strText.size() + 1);
    if (command.Kind() != Protocol::kKindInit)
        return false;
    const std::int32_t lId = Protocol::SplitInitPayload(command.Payload()).clientId;
    return lId == kAnchorId || lId == kFinalId;
}

std::string Describe(const std::string& strRequest)
{
    std::string strText = std::to_string(strRequest.size()) + " bytes: ";
    for (std::size_t i = 0; i < strRequest.size() && i < 48; ++i)
    {
        const unsigned char c = static_cast<unsigned char>(strRequest[i]);
        if (c >= ' ' && c < 127)
            strText += static_cast<char>(c);
        else
        {
            char szHex[8];
            std::snprintf(szHex, sizeof(szHex), "\\x%02X", c);
            strText += szHex;
        }
    }
    return strText;
}

void CFuzzRun::Violation(const char* pszWhat, const std::string& strRequest)
{
    ++m_nViolations;
    std::lock_guard<std::mutex> lock(m_reportLock);
    if (m_reports.size() < kReportedViolations)
        m_reports.push_back(std::string(pszWhat) + " after " + Describe(strRequest));
}

bool CFuzzRun::ExpectReply(CFuzzConnection& connection, const std::string& strRequest)
{
    std::string strReply;
    const IoResult result = connection.Read(strReply, kIoTimeoutMs);
    if (result == IoResult::kTimedOut)
    {
        Violation("no reply within the time-out", strRequest);
        return false;
    }
    if (result != IoResult::kOk)
    {
        Violation("connection closed instead of a reply", strRequest);
        return false;
    }
    ++m_nReplies;
    if (strReply != "SUCCESS")
    {
        Violation(("reply \"" + strReply.substr(0, 40) + "\" instead of SUCCESS").c_str(), strRequest);
        return false;
    }
    return true;
}

bool CFuzzRun::ExpectClosed(CFuzzConnection& connection, const std::string& strRequest)
{
    std::string strReply;
    const IoResult result = connection.Read(strReply, kIoTimeoutMs);
    connection.Close();
    if (result == IoResult::kBroken)
    {
        ++m_nServerCloses;
        return true;
    }
    Violation(result == IoResult::kTimedOut ? "connection left open" : "data where the connection should end",
              strRequest);
    return false;
}

bool CFuzzRun::Expect(CFuzzConnection& connection, Outcome outcome, const std::string& strRequest)
{
    switch (outcome)
    {
    case Outcome::kReply:
        return ExpectReply(connection, strRequest);
    case Outcome::kReplyThenClose:
        return ExpectReply(connection, strRequest) && ExpectClosed(connection, strRequest);
    case Outcome::kClose:
        return ExpectClosed(connection, strRequest);
    }
    return false;
}

void CFuzzRun::Worker(int nIndex)
{
    CHostileRequestSource source(m_settings.uSeed * 7919u + static_cast<std::uint32_t>(nIndex));
    CFuzzConnection connection;
    bool bFresh = false;
    while (true)
    {
        if (!connection.IsOpen())
        {
            if (!connection.Open(kOpenTimeoutMs))
            {
                Violation("no pipe instance within the time-out", std::string());
                return;
            }
            ++m_nConnections;
            bFresh = true;
        }
        if (!Claim())
            return;
        const std::uint32_t uAction = source.Below(100);
        HostileRequest request = bFresh && source.Chance(30) ? source.NextLogLine() : source.Next();
        while (RegistersReservedId(request.strBytes))
            request = source.Next();
        bFresh = false;
        const Outcome outcome = ExpectedOutcome(request.strBytes);

        ++m_nSent;
        const IoResult written = connection.Write(request.strBytes, kIoTimeoutMs);
        if (written == IoResult::kTimedOut || (written == IoResult::kBroken && outcome != Outcome::kClose))
        {
            Violation(written == IoResult::kTimedOut ? "write blocked" : "write failed", request.strBytes);
            connection.Close();
            continue;
        }

        if (outcome == Outcome::kReply && uAction < 5)
        {
            // Dropped with the reply still pending.
            ++m_nDropped;
            connection.Close();
        }
        else if (outcome == Outcome::kReply && uAction < 11 && Claim())
        {
            // A second request before reading the first reply: answered in order.
            const HostileRequest second = source.NextAnswered();
            ++m_nSent;
            if (RegistersReservedId(second.strBytes) ||
                connection.Write(second.strBytes, kIoTimeoutMs) != IoResult::kOk)
                connection.Close();
            else if (ExpectReply(connection, request.strBytes))
                ExpectReply(connection, second.strBytes);
        }
        else if (outcome == Outcome::kReplyThenClose && uAction < 50 && Claim())
        {
            // More writes after the goodbye: never answered.
            const HostileRequest after = source.NextAnswered();
            ++m_nSent;
            connection.Write(after.strBytes, kIoTimeoutMs); // may fail: the monitor is closing
            Expect(connection, outcome, request.strBytes);
        }
        else if (!Expect(connection, outcome, request.strBytes))
            connection.Close();
        if (connection.IsOpen() && source.Chance(2))
        {
            ++m_nDropped;
            connection.Close(); // dropped between requests, no goodbye
        }
    }
}

bool CFuzzRun::OpenAnchor()
{
    const std::string strInit = "INIT;" + std::to_string(kAnchorId) + "|C:\\fuzz\\anchor.exe|anchor";
    return m_anchor.Open(kOpenTimeoutMs) && m_anchor.Write(strInit + '\0', kIoTimeoutMs) == IoResult::kOk &&
           ExpectReply(m_anchor, strInit);
}

bool CFuzzRun::CloseAnchor()
{
    const std::string strLine = std::string("SINFO;anchor still served") + '\0';
    const std::string strTerminate = std::string("TERMINATE;") + '\0';
    return m_anchor.Write(strLine, kIoTimeoutMs) == IoResult::kOk && ExpectReply(m_anchor, strLine) &&
           m_anchor.Write(strTerminate, kIoTimeoutMs) == IoResult::kOk &&
           Expect(m_anchor, Outcome::kReplyThenClose, strTerminate);
}

bool CFuzzRun::FinalConversation()
{
    CFuzzConnection connection;
    if (!connection.Open(kOpenTimeoutMs))
    {
        Violation("no pipe instance for the final conversation", std::string());
        return false;
    }
    const std::string requests[] = {
        "INIT;" + std::to_string(kFinalId) + "|C:\\fuzz\\final.exe|final",
        "SINFO;[[12-07-2026 01:23:45]:final:" + std::to_string(kFinalId) + "]-> still served",
        "TERMINATE;",
    };
    for (const std::string& strRequest : requests)
    {
        const std::string strBytes = strRequest + '\0';
        if (connection.Write(strBytes, kIoTimeoutMs) != IoResult::kOk ||
            !Expect(connection, ExpectedOutcome(strBytes), strBytes))
        {
            Violation("the final conversation failed", strBytes);
            return false;
        }
    }
    return true;
}

void CFuzzRun::Print(double dSeconds) const
{
    std::printf("pipe_fuzzer: seed %u, %ld requests sent on %ld connections (%d at a time) in %.1f s\n",
                m_settings.uSeed, m_nSent.load(), m_nConnections.load(), m_settings.nConnections, dSeconds);
    std::printf(
        "  %ld replies checked, %ld connections ended by the monitor as required, %ld dropped by us\n",
        m_nReplies.load(), m_nServerCloses.load(), m_nDropped.load());
    std::printf("  %ld violations\n", m_nViolations.load());
    std::lock_guard<std::mutex> lock(m_reportLock);
    for (const std::string& strReport : m_reports)
        std::printf("  - %s\n", strReport.c_str());
}

bool ParseSettings(int argc, char** argv, Settings& settings)
{
    int nArg = 1;
    if (nArg < argc && std::strcmp(argv[nArg], "--in-process") == 0)
    {
        settings.bInProcess = true;
        ++nArg;
    }
    if (argc - nArg != 3)
        return false;
    settings.uSeed = static_cast<std::uint32_t>(std::strtoul(argv[nArg], nullptr, 10));
    settings.nRequests = std::strtol(argv[nArg + 1], nullptr, 10);
    settings.nConnections = std::atoi(argv[nArg + 2]);
    return settings.nRequests > 0 && settings.nConnections > 0 && settings.nConnections <= 200;
}

} // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!ParseSettings(argc, argv, settings))
    {
        std::fprintf(stderr, "usage: pipe_fuzzer [--in-process] <seed> <requests> <connections, 1..200>\n");
        return 2;
    }

    CInProcessMonitor monitor;
    if (settings.bInProcess && !monitor.Start())
    {
        std::fprintf(stderr, "pipe_fuzzer: cannot host the monitor's pipe server\n");
        return 3;
    }
    const int nBaselineThreads = ThreadCountOf(::GetCurrentProcessId());

    CFuzzRun run(settings);
    if (!run.OpenAnchor())
    {
        std::fprintf(stderr, "pipe_fuzzer: nobody serves the monitor's pipe\n");
        return 3;
    }
    const DWORD dwStart = ::GetTickCount();
    std::vector<std::thread> workers;
    for (int i = 0; i < settings.nConnections; ++i)
        workers.emplace_back(&CFuzzRun::Worker, &run, i);
    for (std::thread& worker : workers)
        worker.join();
    run.FinalConversation();
    const double dSeconds = (::GetTickCount() - dwStart) / 1000.0;

    bool bHostOk = true;
    if (settings.bInProcess && monitor.ExitCommands() != 0)
    {
        std::printf("  the monitor was told to exit while a client was registered\n");
        bHostOk = false;
    }
    if (!run.CloseAnchor())
        run.Violation("the registered client was not served to the end", std::string());
    if (settings.bInProcess)
    {
        if (!WaitUntil([] { return IsClientTableEmpty(); }, 10000))
        {
            std::printf("  %u registrations left behind\n", static_cast<unsigned>(ClientTableSize()));
            bHostOk = false;
        }
        if (nBaselineThreads <= 0 ||
            !WaitUntil([&] { return ThreadCountOf(::GetCurrentProcessId()) <= nBaselineThreads; }, 10000))
        {
            std::printf("  %d connection threads still running\n",
                        ThreadCountOf(::GetCurrentProcessId()) - nBaselineThreads);
            bHostOk = false;
        }
        if (monitor.ExitCommands() < 1 || monitor.ListenerEnded())
        {
            std::printf("  after the last client: %ld Exit commands, listener %s\n", monitor.ExitCommands(),
                        monitor.ListenerEnded() ? "ended" : "running");
            bHostOk = false;
        }
        std::printf("  in-process monitor: %ld console lines shown\n", monitor.ConsoleLines());
    }
    run.Print(dSeconds);
    std::fflush(stdout);
    // The listener waits in ConnectNamedPipe for good: end with the process.
    ::ExitProcess(run.Violations() == 0 && bHostOk ? 0 : 1);
}
