#include "LoggingConfiguration.h"

#include <windows.h>

#include <vector>

namespace Marvane::NativeLogging
{
namespace
{

constexpr DWORD kValueBufferBytes = 4096;

} // namespace

bool ReadLogLevelVariable(std::string& value)
{
    value.clear();
    std::vector<char> buffer(kValueBufferBytes);
    // A longer value reports the size it needs; the contents are then
    // undefined, so read again with that size. The loop ends at the latest
    // when the value stops growing between the two reads.
    for (;;)
    {
        SetLastError(ERROR_SUCCESS);
        const DWORD result =
            GetEnvironmentVariableA(kLogLevelVariable, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (result == 0)
            return GetLastError() != ERROR_ENVVAR_NOT_FOUND; // 0 and no error: present and empty
        if (result < buffer.size())
        {
            value.assign(buffer.data(), result);
            return true;
        }
        buffer.resize(result);
    }
}

ZOVLogger* ApplyLogLevelConfig(const char* value, LoggerNames names, LoggerSet& loggers, LogLineSink sink,
                               LoggerHook hook, LockWaitHook waitHook)
{
    ZOVLogger* current = nullptr;
    for (const LogConfigAction& action : ParseLogLevelConfig(value, names))
    {
        switch (action.type)
        {
        case LogConfigAction::Type::CreateLogger:
            current = loggers.Create(sink, waitHook);
            if (current != nullptr && hook != nullptr)
                hook(current);
            break;
        case LogConfigAction::Type::SetLevel:
            if (current != nullptr)
                current->SetLevel(action.level, action.on);
            break;
        case LogConfigAction::Type::EnableAll:
            if (current != nullptr)
                current->EnableAll();
            break;
        }
    }
    return current;
}

LoggingSetup ConfigureLoggingFromEnvironment(LoggerNames names, LoggerSet& loggers, LogLineSink sink,
                                             LoggerHook hook, LockWaitHook waitHook)
{
    std::string value;
    if (!ReadLogLevelVariable(value))
        return LoggingSetup{false, nullptr};
    return LoggingSetup{true, ApplyLogLevelConfig(value.c_str(), names, loggers, sink, hook, waitHook)};
}

void WithdrawAndDeleteLoggers(LoggerSet& loggers, LoggerHook hook)
{
    if (loggers.Count() != 0 && hook != nullptr)
        hook(nullptr);
    loggers.DeleteAll();
}

} // namespace Marvane::NativeLogging
