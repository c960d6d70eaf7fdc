#include "CCommandData.h"

#include <cstring>

namespace
{

struct KeywordKind
{
    const char* keyword;
    int kind;
};

// Matching order of the keywords; every match is exact and case-sensitive.
constexpr KeywordKind kKeywords[] = {
    {Protocol::kKeywordInit, Protocol::kKindInit},
    {Protocol::kKeywordError, Protocol::kKindError},
    {Protocol::kKeywordSError, Protocol::kKindSError},
    {Protocol::kKeywordInfo, Protocol::kKindInfo},
    {Protocol::kKeywordSInfo, Protocol::kKindSInfo},
    {Protocol::kKeywordTerminate, Protocol::kKindTerminate},
    {Protocol::kKeywordClean, Protocol::kKindClean},
};

bool HasPayload(int kind)
{
    return kind == Protocol::kKindInit || kind == Protocol::kKindError || kind == Protocol::kKindSError ||
           kind == Protocol::kKindInfo || kind == Protocol::kKindSInfo;
}

// A token: leading separators skipped, then everything up to the next
// separator or the end. Returns false when only separators remain.
bool NextToken(const char* text, std::size_t length, std::size_t& pos, std::size_t& start, std::size_t& count)
{
    while (pos < length && text[pos] == Protocol::kFieldSeparator)
        ++pos;
    if (pos == length)
        return false;
    start = pos;
    while (pos < length && text[pos] != Protocol::kFieldSeparator)
        ++pos;
    count = pos - start;
    return true;
}

} // namespace

CCommandData::CCommandData(const char* request, std::size_t maxBytes)
{
    std::size_t length = 0;
    if (request != nullptr)
    {
        const std::size_t limit =
            maxBytes < Protocol::kMaxRequestBytes ? maxBytes : Protocol::kMaxRequestBytes;
        const void* nul = std::memchr(request, '\0', limit);
        length = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - request) : limit;
        std::memcpy(m_szCopy, request, length);
    }
    m_szCopy[length] = '\0';
    Parse(length);
}

CCommandData::~CCommandData() = default;

void CCommandData::Parse(std::size_t length)
{
    // The payload of requests without one points at the copy's final NUL.
    m_nPayloadOffset = length;
    m_nPayloadLength = 0;

    std::size_t pos = 0;
    std::size_t start = 0;
    std::size_t count = 0;
    if (!NextToken(m_szCopy, length, pos, start, count))
        return;
    for (const KeywordKind& entry : kKeywords)
    {
        if (std::strlen(entry.keyword) == count && std::memcmp(m_szCopy + start, entry.keyword, count) == 0)
        {
            m_nKind = entry.kind;
            break;
        }
    }
    if (!HasPayload(m_nKind))
        return;
    if (!NextToken(m_szCopy, length, pos, start, count))
        return;
    m_szCopy[start + count] = '\0';
    m_nPayloadOffset = start;
    m_nPayloadLength = count;
}
