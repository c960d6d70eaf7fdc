#include "RequestBuilder.h"

#include "BoundedText.h"

#include <cstring>

namespace Protocol
{

std::size_t BuildInitRequest(RequestBuffer& out, std::int32_t id, const char* path, const char* info)
{
    BoundedText request(out, sizeof(out));
    request.Append(kKeywordInit).Append(kFieldSeparator).AppendDecimal(id);
    request.Append(kInitSeparator).Append(path).Append(kInitSeparator).Append(info);
    return request.Length();
}

std::size_t BuildLogRequest(RequestBuffer& out, int logKind, const char* stamp, const char* logName,
                            std::int32_t logId, const char* text)
{
    return BuildLogLine(out, sizeof(out), logKind, stamp, logName, logId, text);
}

std::size_t BuildLogLine(char* out, std::size_t capacity, int logKind, const char* stamp, const char* logName,
                         std::int32_t logId, const char* text)
{
    BoundedText request(out, capacity);
    request.Append(LogKindWord(logKind)).Append(kFieldSeparator).Append(kLogLineOpen).Append(stamp);
    if (logId != 0)
    {
        request.Append(kLogLineFieldSeparator).Append(logName);
        request.Append(kLogLineFieldSeparator).AppendDecimal(logId);
    }
    request.Append(kLogLineArrow).Append(text);
    return request.Length();
}

std::size_t ShortLogLineLength(int logKind, const char* stamp, const char* text)
{
    const auto length = [](const char* psz) { return psz ? std::strlen(psz) : 0; };
    return length(LogKindWord(logKind)) + 1 + length(kLogLineOpen) + length(stamp) + length(kLogLineArrow) +
           length(text);
}

const char* LogKindWord(int logKind)
{
    switch (logKind)
    {
    case kLogError:
        return kKeywordError;
    case kLogSInfo:
        return kKeywordSInfo;
    case kLogSError:
        return kKeywordSError;
    default:
        return kKeywordInfo;
    }
}

} // namespace Protocol
