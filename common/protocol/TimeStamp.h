// The local-time stamp that opens every log line, "[12-07-2026 01:23:45]".
#pragma once

#include "PipeProtocol.h"

#include <ctime>

namespace Protocol
{

// Thread-safe. Leaves an empty string when the local time cannot be converted
// or formatted.
void MakeTimeStamp(char (&out)[kTimeStampBytes]);

// The stamp of one second of calendar time (as std::time gives it).
void FormatTimeStamp(std::time_t second, char (&out)[kTimeStampBytes]);

// Makes the stamp of the current second once and hands out copies for the rest
// of that second: a burst of log lines pays for one local-time conversion, not
// one each (under Wine the C run-time's time() alone asks the server for the time
// zone). The clock read is the cheap system clock. One cache per caller, or one
// under the caller's lock: it is not thread-safe.
class CTimeStampCache
{
public:
    void Make(char (&out)[kTimeStampBytes]);
    // The stamp of the given second; formatted only when it is not the last one.
    void MakeFor(std::time_t second, char (&out)[kTimeStampBytes]);

private:
    bool m_bCached = false;
    std::time_t m_second = 0;
    char m_szStamp[kTimeStampBytes] = "";
};

} // namespace Protocol
