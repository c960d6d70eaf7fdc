#include "HostKillCampaign.h"

#include "ChildProcess.h"

#include <cstdio>
#include <random>

namespace
{

constexpr UINT kKilledExitCode = 77;
constexpr DWORD kProcessLookIntervalMs = 10;
// A host that has not ended (or been killed) after this long hangs.
constexpr DWORD kHostLimitMs = 30000;

enum class KillPoint
{
    kSoonAfterStart,
    kDuringInitialisation,
    kMidStream,
    kDuringGoodbye,
    kNever,
};

struct KillPlan
{
    KillPoint point;
    StressHost::Phase trigger; // the phase that starts the delay
    DWORD dwDelayMs;
};

KillPlan DrawPlan(std::mt19937& rng)
{
    const std::uint32_t uRoll = std::uniform_int_distribution<std::uint32_t>(0, 99)(rng);
    auto delay = [&](DWORD dwMax) { return std::uniform_int_distribution<DWORD>(0, dwMax)(rng); };
    if (uRoll < 20)
        return {KillPoint::kSoonAfterStart, StressHost::kNotStarted, delay(40)};
    if (uRoll < 45)
        return {KillPoint::kDuringInitialisation, StressHost::kInitialising, delay(10)};
    if (uRoll < 75)
        return {KillPoint::kMidStream, StressHost::kStreaming, delay(20)};
    if (uRoll < 95)
        return {KillPoint::kDuringGoodbye, StressHost::kSayingGoodbye, delay(2)};
    return {KillPoint::kNever, StressHost::kDone, 0};
}

struct RunningHost
{
    CChildProcess process;
    std::size_t nOutcome = 0;
    unsigned uSlot = 0;
    KillPlan plan = {};
    DWORD dwStarted = 0;
    bool bTriggered = false;
    DWORD dwKillAt = 0;
};

const char* const kPhaseNames[] = {"before starting", "initialising", "streaming", "saying goodbye",
                                   "after the last call"};

// While the host makes its own COM connections it counts as not started, but is
// not killed: a client that goes in the middle of connecting breaks the endpoint
// of Wine's RPC runtime for every later host (see varnel_stress_host.cpp).
StressHost::Phase RecordedPhase(StressHost::Phase phase)
{
    return phase == StressHost::kConnectingCom ? StressHost::kNotStarted : phase;
}

} // namespace

bool CHostKillCampaign::Run()
{
    std::mt19937 rng(m_settings.uSeed);
    std::vector<RunningHost> running;
    const DWORD dwStart = ::GetTickCount();
    int nNext = 0;
    DWORD dwLastProcessLook = 0;
    while (nNext < m_settings.nHosts || !running.empty())
    {
        while (nNext < m_settings.nHosts && static_cast<int>(running.size()) < m_settings.nAtOnce)
        {
            RunningHost host;
            host.uSlot = static_cast<unsigned>(nNext) % StressHost::kMaxSlots;
            host.plan = DrawPlan(rng);
            host.nOutcome = m_outcomes.size();
            HostOutcome outcome;
            outcome.nClientId = m_settings.nFirstClientId + nNext;
            m_outcomes.push_back(outcome);
            m_progress.Reset(host.uSlot);
            const std::string strCommand =
                QuotedProgramPath(StressHost::kExeName) + " " + std::to_string(host.uSlot) + " " +
                std::to_string(outcome.nClientId) + " " + std::to_string(m_settings.nLinesPerHost);
            if (!host.process.Start(strCommand, m_settings.pszHostDebugLevel))
                return false;
            host.dwStarted = ::GetTickCount();
            running.push_back(std::move(host));
            ++nNext;
        }

        // The phases are read from shared memory, which is cheap; whether a host
        // has ended costs a call to the wine server, so it is looked at only every
        // few milliseconds, or when the host says it is done.
        const DWORD dwLoopStart = ::GetTickCount();
        const bool bLookAtProcesses = dwLoopStart - dwLastProcessLook >= kProcessLookIntervalMs;
        if (bLookAtProcesses)
            dwLastProcessLook = dwLoopStart;
        bool bKillImminent = false;
        for (auto it = running.begin(); it != running.end();)
        {
            RunningHost& host = *it;
            HostOutcome& outcome = m_outcomes[host.nOutcome];
            const DWORD dwNow = ::GetTickCount();
            // The latest phase, as the outcome records it.
            const auto recordedPhase = [&] { return RecordedPhase(Progress().Phase(host.uSlot)); };
            const StressHost::Phase reported = Progress().Phase(host.uSlot);
            const StressHost::Phase phase = RecordedPhase(reported);
            bool bEnded = (bLookAtProcesses || phase == StressHost::kDone) && !host.process.IsRunning();
            if (!bEnded && !host.bTriggered && host.plan.point != KillPoint::kNever &&
                phase >= host.plan.trigger)
            {
                host.bTriggered = true;
                host.dwKillAt = dwNow + host.plan.dwDelayMs;
            }
            if (!bEnded && host.bTriggered && static_cast<LONG>(dwNow - host.dwKillAt) >= 0 &&
                reported != StressHost::kConnectingCom)
            {
                outcome.phase = recordedPhase();
                outcome.bKilled = host.process.Kill(kKilledExitCode);
                bEnded = true;
            }
            if (!bEnded && dwNow - host.dwStarted > kHostLimitMs)
            {
                m_failures.push_back("host " + std::to_string(outcome.nClientId) + " hung while " +
                                     kPhaseNames[phase]);
                outcome.phase = phase;
                outcome.bKilled = host.process.Kill(kKilledExitCode);
                bEnded = true;
            }
            if (!bEnded)
            {
                // A goodbye lasts a millisecond or two: be there when it begins.
                bKillImminent =
                    bKillImminent || host.bTriggered ||
                    (host.plan.point == KillPoint::kDuringGoodbye && phase == StressHost::kStreaming);
                ++it;
                continue;
            }
            if (!outcome.bKilled)
            {
                // Ended by itself (also just before a kill): only a complete run may do that.
                outcome.phase = recordedPhase();
                host.process.WaitForExit(5000);
                const DWORD dwExit = host.process.ExitCode();
                if (dwExit != StressHost::kExitOk || outcome.phase != StressHost::kDone)
                    m_failures.push_back("host " + std::to_string(outcome.nClientId) +
                                         " ended by itself with " + std::to_string(dwExit) + " while " +
                                         kPhaseNames[outcome.phase]);
            }
            it = running.erase(it);
        }
        ::Sleep(bKillImminent ? 0 : 1);
    }
    m_dwElapsedMs = ::GetTickCount() - dwStart;
    return true;
}

std::string CHostKillCampaign::Summary() const
{
    int nKilled[StressHost::kDone + 1] = {};
    int nFinished = 0;
    for (const HostOutcome& outcome : m_outcomes)
    {
        if (outcome.bKilled)
            ++nKilled[outcome.phase];
        else
            ++nFinished;
    }
    char szTime[32];
    std::snprintf(szTime, sizeof(szTime), "%.1f", m_dwElapsedMs / 1000.0);
    std::string strSummary = std::to_string(m_outcomes.size()) + " hosts (" +
                             std::to_string(m_settings.nAtOnce) + " at a time) in " + szTime + " s; killed";
    for (int nPhase = StressHost::kNotStarted; nPhase <= StressHost::kDone; ++nPhase)
        strSummary +=
            std::string(nPhase ? ", " : " ") + std::to_string(nKilled[nPhase]) + " " + kPhaseNames[nPhase];
    return strSummary + "; " + std::to_string(nFinished) + " ran to the end";
}
