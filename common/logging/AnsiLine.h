// Converts a logger text from UTF-16 to an 8-bit line in a code page (the
// system's ANSI code page for every real line).
#pragma once

#include "LoggerBuffers.h"

namespace Marvane::NativeLogging
{

// Precomposed forms where the code page has them, the code page's default
// character for what it cannot represent. A conversion longer than 4095 bytes
// is cut after the last whole character that fits, never inside a multi-byte
// character or a surrogate pair. A null text, or a conversion that fails,
// gives an empty line. The buffer is always NUL-terminated.
void ConvertToAnsiLine(LineBuffer& out, const wchar_t* text, unsigned codePage);

} // namespace Marvane::NativeLogging
