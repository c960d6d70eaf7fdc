// The client end of the monitor pipe: opening the pipe with retries while every
// instance is busy, talking only to the installation's monitor program, the
// announcement INIT with its start lines, forwarding log lines, finding the
// monitor again after the connection broke (debug mode), and the goodbyes
// TERMINATE and CLEAN. The monitor is optional: every step here tolerates its
// absence silently, and none waits longer than its limit (TimeLimits.h).
//
// A connection is made, used and closed only under the library lock. Its handle
// reaches other threads once INIT has been answered, so INIT is always the first
// request on a connection; a connection whose write or read fails, or runs out
// of time, is closed at once.
#pragma once

#include "MonitorProbe.h"
#include "PipeProtocol.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace PipeClient
{

// Results of one exchange. Callers ignore them; only the announcement looks at the reply.
constexpr int kTransactOk = 0;
constexpr int kTransactNoPipe = -1;
constexpr int kTransactWriteFailed = -1005;
constexpr int kTransactReadFailed = -1006;

// At most this many opens while every pipe instance is busy: the first and six retries.
constexpr int kMaxOpenRetries = 6;

} // namespace PipeClient

// Writes the request (cut to 4095 characters) with its NUL as one message and reads
// the reply into szReply, cut to fit cbReply bytes and always terminated (empty
// unless the exchange succeeded). A failed or late write or read closes the connection.
int PipeTransact(const char* pszRequest, char* pszReply, std::size_t cbReply);
template <std::size_t N> int PipeTransact(const char* pszRequest, char (&szReply)[N])
{
    return PipeTransact(pszRequest, szReply, N);
}

// Opens the pipe and announces the process with INIT; unless the monitor refuses
// with "FAIL", forwards the start lines (debug mode) and sets the log name and log
// id. Gives up silently at the first failure.
void ConnectToMonitor(std::int32_t lApplicationId, const char* pszApplicationPath, const char* pszClientInfo,
                      PipeClient::MonitorProbe probe);

// Debug mode only, under the library lock: sends one log line in the short or
// long layout (long once a log id is set); the reply and any failure are ignored.
// Without a connection, and with a client context open, it first looks for a
// running monitor (at most once a second, never through COM) and announces the
// process there with the context's INIT. A null text is sent as an empty one.
// Also the sink of the library's logger.
void ForwardLogLine(const char* pszText, int nKind);

// The goodbyes: the clean-up lines, the client context closed between them, then
// "TERMINATE;" (end of ZOVLC_CleanUp, inside the cross-process mutex) or "CLEAN;"
// (the library is unloaded with its context open; no monitor is looked for then).
// The connection ends with the goodbye.
void SendTerminateToMonitor();
void SendCleanToMonitor();

// The goodbye "CLEAN;" as the process ends, when the library lock is free at once:
// another thread that was ended while it held the lock (in the middle of an
// exchange) would hold it for ever. Otherwise nothing is sent: the pipe closes with
// the process and the monitor notes the host's end.
void SendCleanAtProcessExit();

// Closes the connection, if any (the library is being unloaded).
void CloseConnection();
