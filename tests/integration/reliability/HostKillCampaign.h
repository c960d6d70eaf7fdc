// Runs many varnel_stress_host processes, a few at a time, and kills each at a
// point of its exchange with the monitor drawn at random: soon after its start,
// during its initialisation (monitor probe, INIT, start lines), in the middle of
// its log lines, or during its goodbye; a few are left to finish. Records how
// far every host had come when it was killed, and every host that hung or ended
// badly by itself.
#pragma once

#include "HostProgressTable.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class CHostKillCampaign
{
public:
    struct Settings
    {
        int nHosts = 0;
        int nAtOnce = 0;
        int nFirstClientId = 0;
        int nLinesPerHost = 0;
        std::uint32_t uSeed = 0;
        const char* pszHostDebugLevel = nullptr; // QX_LMDEBUGLOGLEVEL of the hosts
    };

    struct HostOutcome
    {
        int nClientId = 0;
        StressHost::Phase phase = StressHost::kNotStarted; // how far it came
        bool bKilled = false;
    };

    CHostKillCampaign(CHostProgressTable& progress, const Settings& settings)
        : m_progress(progress), m_settings(settings)
    {
    }

    // false when a host could not be started at all.
    bool Run();

    const std::vector<HostOutcome>& Outcomes() const { return m_outcomes; }
    // Hosts that hung, or ended by themselves with an error.
    const std::vector<std::string>& Failures() const { return m_failures; }
    // "1000 hosts in 75.2 s: killed 190 before starting, ..."
    std::string Summary() const;

private:
    const CHostProgressTable& Progress() const { return m_progress; }

    CHostProgressTable& m_progress;
    const Settings m_settings;
    std::vector<HostOutcome> m_outcomes;
    std::vector<std::string> m_failures;
    DWORD m_dwElapsedMs = 0;
};
