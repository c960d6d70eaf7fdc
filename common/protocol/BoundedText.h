// Appends text to a fixed character buffer and never writes past it: whatever
// does not fit is dropped, and the buffer always stays NUL-terminated.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Protocol
{

class BoundedText
{
public:
    // capacity counts the characters the buffer can hold, its NUL included.
    BoundedText(char* buffer, std::size_t capacity);

    BoundedText& Append(const char* text);
    BoundedText& Append(char c);
    BoundedText& AppendDecimal(std::int32_t value);

    std::size_t Length() const { return m_nLength; }
    bool WasCut() const { return m_bCut; }

private:
    char* m_pBuffer;
    std::size_t m_nCapacity;
    std::size_t m_nLength = 0;
    bool m_bCut = false;
};

} // namespace Protocol
