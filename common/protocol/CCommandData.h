// One request read from the monitor pipe, split into its kind and payload.
// Built from the request bytes alone and parsed in a private fixed-size copy,
// so the caller's buffer stays untouched and no memory is allocated per request.
#pragma once

#include "PipeProtocol.h"

#include <cstddef>

class CCommandData
{
public:
    // Reads the request up to its first NUL or up to maxBytes, whichever comes
    // first: a pipe message need not carry its NUL. At most kMaxRequestBytes
    // characters are looked at.
    CCommandData(const char* request, std::size_t maxBytes);
    virtual ~CCommandData();

    CCommandData(const CCommandData&) = delete;
    CCommandData& operator=(const CCommandData&) = delete;

    // A Protocol::CommandKind; kKindUnrecognised when no keyword matched.
    int Kind() const { return m_nKind; }
    // NUL-terminated; empty for TERMINATE, CLEAN, unrecognised requests and
    // requests without a payload.
    const char* Payload() const { return m_szCopy + m_nPayloadOffset; }
    std::size_t PayloadLength() const { return m_nPayloadLength; }

private:
    void Parse(std::size_t length);

    int m_nKind = Protocol::kKindUnrecognised;
    std::size_t m_nPayloadOffset = 0;
    std::size_t m_nPayloadLength = 0;
    char m_szCopy[Protocol::kMaxRequestBytes + 1];
};
