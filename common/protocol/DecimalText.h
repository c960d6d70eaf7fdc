// Reading a decimal number the way the C library's atol does (leading white
// space, optional sign, digits up to the first other character, 0 without
// digits), but with a defined result on overflow: the value saturates at the
// 32-bit limits, as the Microsoft runtime's atol does.
#pragma once

#include <cstdint>

namespace Protocol
{

std::int32_t ReadDecimalInt32(const char* text);

} // namespace Protocol
