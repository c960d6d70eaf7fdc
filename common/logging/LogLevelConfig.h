// Reads the value of QX_LMDEBUGLOGLEVEL into the list of steps that configure
// the process's logger, in the order the value gives them. The rule that level
// tokens and "ALL" only act once a logger exists is applied here: a step that
// would have no effect is never emitted, so the list can be applied blindly.
#pragma once

#include "LogLevels.h"

#include <cstddef>
#include <vector>

namespace Marvane::NativeLogging
{

constexpr const char kLogLevelVariable[] = "QX_LMDEBUGLOGLEVEL";
// Only this many characters of the value are read.
constexpr std::size_t kLogLevelValueChars = 4095;

// The names that create a logger differ between the two programs.
enum class LoggerNames
{
    Client,  // "ZOVLOGGER"
    Monitor, // "ZOVLOGGER" and "ZOV_LOGGER"
};

struct LogConfigAction
{
    enum class Type
    {
        CreateLogger, // a new logger, every level off; it becomes the current one
        SetLevel,     // level's flag of the current logger := on
        EnableAll,    // every flag of the current logger on
    };
    Type type;
    LogLevel level;
    bool on;
};

std::vector<LogConfigAction> ParseLogLevelConfig(const char* value, LoggerNames names);

} // namespace Marvane::NativeLogging
