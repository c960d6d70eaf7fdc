#include "BoundedText.h"

namespace Protocol
{

BoundedText::BoundedText(char* buffer, std::size_t capacity) : m_pBuffer(buffer), m_nCapacity(capacity)
{
    if (m_nCapacity > 0)
        m_pBuffer[0] = '\0';
}

BoundedText& BoundedText::Append(const char* text)
{
    if (text == nullptr)
        return *this;
    for (; *text != '\0'; ++text)
    {
        if (m_nLength + 1 >= m_nCapacity)
        {
            m_bCut = true;
            break;
        }
        m_pBuffer[m_nLength++] = *text;
    }
    if (m_nCapacity > 0)
        m_pBuffer[m_nLength] = '\0';
    return *this;
}

BoundedText& BoundedText::Append(char c)
{
    const char text[2] = {c, '\0'};
    return Append(text);
}

BoundedText& BoundedText::AppendDecimal(std::int32_t value)
{
    // Widened first so that the most negative value has a magnitude too.
    std::int64_t magnitude = value;
    const bool negative = magnitude < 0;
    if (negative)
        magnitude = -magnitude;
    char digits[12];
    std::size_t pos = sizeof(digits);
    digits[--pos] = '\0';
    do
    {
        digits[--pos] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
        digits[--pos] = '-';
    return Append(digits + pos);
}

} // namespace Protocol
