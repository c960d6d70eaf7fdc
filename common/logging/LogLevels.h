// The logger's levels: their values on the ILogger interface (LogLevelValues.h),
// where each one keeps its flag, and the log kind its lines carry.
#pragma once

#include "LogLevelValues.h"
#include "PipeProtocol.h"

namespace Marvane::NativeLogging
{

constexpr int kLevelCount = 6;

// Flag position of a level: 0 for Fatal up to 5 for Trace; -1 for a value that
// is no level.
constexpr int LevelFlagIndex(LogLevel level)
{
    return (level <= Level::Fatal && level >= Level::Trace) ? -level : -1;
}

// Fatal and Error lines travel as SERROR, everything else as SINFO.
constexpr int LogKindForLevel(LogLevel level)
{
    return (level == Level::Fatal || level == Level::Error) ? Protocol::kLogSError : Protocol::kLogSInfo;
}

} // namespace Marvane::NativeLogging
