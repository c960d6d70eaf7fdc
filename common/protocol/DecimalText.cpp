#include "DecimalText.h"

namespace Protocol
{
namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::int32_t ReadDecimalInt32(const char* text)
{
    if (text == nullptr)
        return 0;
    while (IsBlank(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
    {
        negative = *text == '-';
        ++text;
    }
    // Accumulate the magnitude in 64 bits and stop growing once it is past the
    // largest magnitude either sign can hold: long digit runs cannot overflow.
    constexpr std::int64_t kLimit = std::int64_t{INT32_MAX} + 1;
    std::int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
    {
        if (magnitude <= kLimit)
            magnitude = magnitude * 10 + (*text - '0');
    }
    if (negative)
        return magnitude >= kLimit ? INT32_MIN : static_cast<std::int32_t>(-magnitude);
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

} // namespace Protocol
