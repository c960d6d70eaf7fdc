// Formats a logger message with the Microsoft runtime's wide printf rules
// (%s takes a wide string, %S a narrow one) into the fixed format buffer.
#pragma once

#include "LoggerBuffers.h"

#include <cstdarg>

namespace Marvane::NativeLogging
{

// The buffer is cleared first and always ends NUL-terminated. The output is
// limited to 4095 - n characters, n being the length of the format; longer
// output is cut. A format of 4095 characters or more leaves no room and gives
// an empty message; a null format gives an empty message too.
void FormatLoggerMessage(FormatBuffer& out, const wchar_t* format, va_list args);

} // namespace Marvane::NativeLogging
