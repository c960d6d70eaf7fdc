// Sets up the process's logger from QX_LMDEBUGLOGLEVEL: creates the loggers
// the value asks for, gives them their levels and hands each new one to the
// companion library's hook. The owner decides whether to call it at all (the
// client library skips it when its installation is missing).
#pragma once

#include "ILogger.h"
#include "LogLevelConfig.h"
#include "LoggerSet.h"
#include "ZOVLogger.h"

#include <string>

namespace Marvane::NativeLogging
{

// The companion library's ZOV_SetLogger export.
using LoggerHook = void(__cdecl*)(ILogger* logger);

struct LoggingSetup
{
    bool variablePresent; // present, even when empty: the program's debug mode
    ZOVLogger* logger;    // the current logger, or null; owned by the LoggerSet
};

// False when the variable does not exist. A present value, empty or not, is
// returned in full in value (the parser reads its first 4095 characters).
bool ReadLogLevelVariable(std::string& value);

// Applies a value. Returns the current logger: the last one created, or null.
// The hook, when not null, is called once right after each creation. Every
// logger gets the sink and the lock's wait hook.
ZOVLogger* ApplyLogLevelConfig(const char* value, LoggerNames names, LoggerSet& loggers, LogLineSink sink,
                               LoggerHook hook, LockWaitHook waitHook = nullptr);

// Reads the variable and applies it.
LoggingSetup ConfigureLoggingFromEnvironment(LoggerNames names, LoggerSet& loggers, LogLineSink sink,
                                             LoggerHook hook, LockWaitHook waitHook = nullptr);

// The end of the loggers, for the owner's exit path: the hook is called with null
// (the companion library must stop using what it was handed), then every logger
// is freed. Each logger in the set was handed over when it was made, so the
// withdrawal depends on the set holding any, not on a current logger: that is
// null when the last creation failed, while the earlier ones were handed over.
void WithdrawAndDeleteLoggers(LoggerSet& loggers, LoggerHook hook);

} // namespace Marvane::NativeLogging
