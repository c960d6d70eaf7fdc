#include "LoggerFormat.h"

#include <cstring>
#include <stdio.h>

// _vsnwprintf must be msvcrt's own: the Universal CRT's variant and mingw's
// C99 replacement can read %s in a wide format as a narrow string. With the
// msvcrt runtime, the underscore name is always the msvcrt import, whatever
// __USE_MINGW_ANSI_STDIO says (libstdc++ headers force that macro to 1).
#if defined(_UCRT)
#error "the logger's message formatting needs the msvcrt runtime"
#endif

namespace Marvane::NativeLogging
{

void FormatLoggerMessage(FormatBuffer& out, const wchar_t* format, va_list args)
{
    std::memset(out, 0, sizeof(out));
    if (format == nullptr)
        return;
    const std::size_t maxChars = kFormatBufferChars - 1;
    std::size_t formatLength = 0;
    while (formatLength < maxChars && format[formatLength] != L'\0')
        ++formatLength;
    if (formatLength >= maxChars)
        return;
    const std::size_t limit = maxChars - formatLength;
    // When the output is cut, _vsnwprintf writes exactly limit characters and
    // no NUL: the character after them, still cleared, terminates it.
    _vsnwprintf(out, limit, format, args);
    out[limit] = L'\0';
}

} // namespace Marvane::NativeLogging
