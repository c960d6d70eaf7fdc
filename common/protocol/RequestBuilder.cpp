#include "RequestBuilder.h"

#include "BoundedText.h"

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
    BoundedText request(out, sizeof(out));
    request.Append(LogKindWord(logKind)).Append(kFieldSeparator).Append(kLogLineOpen).Append(stamp);
    if (logId != 0)
    {
        request.Append(kLogLineFieldSeparator).Append(logName);
        request.Append(kLogLineFieldSeparator).AppendDecimal(logId);
    }
    request.Append(kLogLineArrow).Append(text);
    return request.Length();
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
