// The client end of the monitor pipe: finding (or having COM start) the monitor,
// opening the pipe with retries while every instance is busy, the announcement
// INIT with its start lines, forwarding log lines, and the goodbyes TERMINATE and
// CLEAN. The monitor is optional: every step here tolerates its absence silently.
#pragma once

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

// While every pipe instance is busy: wait this long for a free one after each
// failed open, with at most this many opens (the first and six retries).
constexpr DWORD kBusyWaitMs = 20000;
constexpr int kMaxOpenRetries = 6;

// A monitor that COM has just started creates its pipe a moment after it has
// registered its class object: the connection waits this long at most for the pipe
// to appear, looking every kPipeAppearPollMs. A monitor that was already running
// is not waited for.
constexpr DWORD kPipeAppearWaitMs = 5000;
constexpr DWORD kPipeAppearPollMs = 25;

enum class MonitorProbe
{
    kNone,         // neither running nor startable: no connection is attempted
    kRunning,      // found in the running-object table
    kStartedByCom, // reached only through a class-object request (COM started it)
};

} // namespace PipeClient

// Writes the request (cut to 4095 characters) with its NUL as one message and reads
// the reply into szReply, cut to fit cbReply bytes and always terminated (empty
// unless the exchange succeeded). A failed write clears the pipe handle.
int PipeTransact(const char* pszRequest, char* pszReply, std::size_t cbReply);
template <std::size_t N> int PipeTransact(const char* pszRequest, char (&szReply)[N])
{
    return PipeTransact(pszRequest, szReply, N);
}

// Makes the calling thread ready for COM (never undone) and looks for the monitor:
// its running object first, then its class object from a local server, which makes
// COM start a registered monitor that is not running, and when that request fails,
// its running object once more (a monitor started at the same moment for another
// host makes the one started for this request end at once).
PipeClient::MonitorProbe ProbeMonitor();

// Opens the pipe and announces the process with INIT; unless the monitor refuses
// with "FAIL", forwards the start lines (debug mode) and sets the log name and log
// id. Gives up silently at the first failure.
void ConnectToMonitor(std::int32_t lApplicationId, const char* pszApplicationPath, const char* pszClientInfo,
                      PipeClient::MonitorProbe probe);

// Debug mode only, under the library lock: sends one log line in the short or
// long layout (long once a log id is set); the reply and any failure are ignored.
// A null text is sent as an empty one. Also the sink of the library's logger.
void ForwardLogLine(const char* pszText, int nKind);

// The goodbyes: the clean-up lines, the client context closed between them, then
// "TERMINATE;" (end of ZOVLC_CleanUp, inside the cross-process mutex) or "CLEAN;"
// (the library is unloaded with its context open).
void SendTerminateToMonitor();
void SendCleanToMonitor();
