// The pipe fuzzer's requests: a seeded source of hostile messages for the
// monitor's pipe, each with the outcome the pipe protocol prescribes for it,
// decided by a reading of the message that is independent of the monitor's code.
#pragma once

#include <cstdint>
#include <random>
#include <string>

enum class Outcome
{
    kReply,          // "SUCCESS", and the connection stays open
    kReplyThenClose, // "SUCCESS", then the monitor closes (TERMINATE, CLEAN)
    kClose,          // no reply, the monitor closes (empty or oversize message)
};

struct HostileRequest
{
    std::string strBytes; // exactly the message's bytes
    const char* pszFamily;
};

// What the monitor must do with a message of exactly these bytes.
Outcome ExpectedOutcome(const std::string& strBytes);

class CHostileRequestSource
{
public:
    explicit CHostileRequestSource(std::uint32_t uSeed) : m_rng(uSeed) {}

    HostileRequest Next();
    // Only requests that are answered and keep the connection open.
    HostileRequest NextAnswered();
    // A goodbye in one of its spellings: TERMINATE or CLEAN.
    HostileRequest NextGoodbye();
    // A log request, as a first request before any INIT.
    HostileRequest NextLogLine();

    std::uint32_t Below(std::uint32_t n)
    {
        return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(m_rng);
    }
    bool Chance(std::uint32_t nPercent) { return Below(100) < nPercent; }

private:
    std::string RandomBytes(std::size_t nLength);
    std::string RandomText(std::size_t nLength);
    std::size_t RandomLength();
    HostileRequest InitRequest();
    HostileRequest SizedRequest();
    HostileRequest SemicolonStorm();
    HostileRequest NearMiss();

    std::mt19937 m_rng;
};
