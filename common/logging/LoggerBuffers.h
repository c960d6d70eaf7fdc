// Buffer sizes of the logger's write path: a formatted message and its
// conversion to the ANSI code page each hold at most 4095 characters and a NUL.
#pragma once

#include <cstddef>

namespace Marvane::NativeLogging
{

constexpr std::size_t kFormatBufferChars = 4096;
constexpr std::size_t kLineBufferBytes = 4096;

using FormatBuffer = wchar_t[kFormatBufferChars];
using LineBuffer = char[kLineBufferBytes];

} // namespace Marvane::NativeLogging
