// Small tools the reliability tests share: a client of the monitor's pipe whose
// every step is bounded in time, waiting for a process's threads to end and
// counting texts in the console.
#pragma once

#include "FuzzConnection.h"
#include "Polling.h"
#include "Processes.h"

#include <windows.h>

#include <string>

// What Transact returns when no reply came.
constexpr const char kNoReply[] = "<no reply>";

// A raw client of the monitor's pipe: opening, writing and reading each give up
// after a bound instead of hanging the test.
class CBoundedClient
{
public:
    bool Open(DWORD dwMilliseconds = 30000) { return m_connection.Open(dwMilliseconds); }
    void Close() { m_connection.Close(); }
    // Writes the text with its NUL (as the client library does) and reads the
    // reply; kNoReply when either fails or times out.
    std::string Transact(const std::string& strRequest, DWORD dwMilliseconds = 10000);
    // True when the monitor has closed its end (a read reports a broken pipe).
    bool WaitUntilClosedByMonitor(DWORD dwMilliseconds = 10000);

private:
    CFuzzConnection m_connection;
};

// True once the process is back to nBaseline threads, give or take the couple
// helper threads Wine adds to a process now and then: its connection threads ended.
bool WaitUntilThreadsBackTo(DWORD dwProcessId, int nBaseline, DWORD dwMilliseconds);

std::size_t CountOccurrences(const std::string& strText, const std::string& strNeedle);

// The monitor's Exit command, as its menus send it.
constexpr UINT kExitMonitorCommand = 32772;
