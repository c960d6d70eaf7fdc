// Builds the client's requests into a caller's request buffer. A request never
// exceeds kMaxRequestChars characters: whatever would go beyond is cut off,
// which in practice cuts the message text, the last field of every request.
#pragma once

#include "PipeProtocol.h"

#include <cstddef>
#include <cstdint>

namespace Protocol
{

using RequestBuffer = char[kMaxRequestBytes];

// "INIT;<id>|<path>|<info>". Returns the length without the NUL.
std::size_t BuildInitRequest(RequestBuffer& out, std::int32_t id, const char* path, const char* info);

// "<word>;[<stamp>:<logName>:<logId>]-> <text>" when logId is not 0,
// "<word>;[<stamp>]-> <text>" otherwise. Returns the length without the NUL.
std::size_t BuildLogRequest(RequestBuffer& out, int logKind, const char* stamp, const char* logName,
                            std::int32_t logId, const char* text);
// The same line into a buffer of any capacity (its NUL included), cut at its end
// like a request.
std::size_t BuildLogLine(char* out, std::size_t capacity, int logKind, const char* stamp, const char* logName,
                         std::int32_t logId, const char* text);
// The whole length of the short layout "<word>;[<stamp>]-> <text>", without the NUL.
std::size_t ShortLogLineLength(int logKind, const char* stamp, const char* text);

// The request keyword of a log kind: INFO, ERROR, SINFO, SERROR; INFO for any
// value that is no log kind.
const char* LogKindWord(int logKind);

} // namespace Protocol
