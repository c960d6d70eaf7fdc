// The level values of the ILogger interface (higher is more severe). Free of
// any other header of the system, so companion libraries can use it with
// ILogger.h alone.
#pragma once

#include <cstdint>

namespace Marvane::NativeLogging
{

using LogLevel = std::int32_t;

namespace Level
{
constexpr LogLevel Fatal = 0;
constexpr LogLevel Error = -1;
constexpr LogLevel Warning = -2;
constexpr LogLevel Info = -3;
constexpr LogLevel Debug = -4;
constexpr LogLevel Trace = -5;
} // namespace Level

} // namespace Marvane::NativeLogging
