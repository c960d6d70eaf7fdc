// Small tools the reliability tests share: a client of the monitor's pipe whose
// every step is bounded in time, waiting for a condition, counting the threads of
// a process and counting texts in the console.
#pragma once

#include "FuzzConnection.h"

#include <windows.h>

#include <functional>
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

bool WaitUntil(const std::function<bool()>& condition, DWORD dwMilliseconds);

// Threads of the process right now (0 when it cannot be looked at).
int ThreadCountOf(DWORD dwProcessId);

std::size_t CountOccurrences(const std::string& strText, const std::string& strNeedle);

// The monitor's Exit command, as its menus send it.
constexpr UINT kExitMonitorCommand = 32772;
