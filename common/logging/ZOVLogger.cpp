#include "ZOVLogger.h"

#include "AnsiLine.h"
#include "LoggerFormat.h"

namespace Marvane::NativeLogging
{

// Holds the logger's critical section for one scope.
class ZOVLogger::LockGuard
{
public:
    LockGuard(CRITICAL_SECTION& lock, LockWaitHook waitHook) : m_lock(lock)
    {
        if (waitHook != nullptr)
        {
            if (TryEnterCriticalSection(&m_lock))
                return;
            while (waitHook())
            {
                if (TryEnterCriticalSection(&m_lock))
                    return;
            }
        }
        EnterCriticalSection(&m_lock);
    }
    ~LockGuard() { LeaveCriticalSection(&m_lock); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

ZOVLogger::ZOVLogger(LogLineSink sink, LockWaitHook waitHook) : m_pfnSink(sink), m_pfnWaitHook(waitHook)
{
    InitializeCriticalSection(&m_lock);
}

ZOVLogger::~ZOVLogger()
{
    DeleteCriticalSection(&m_lock);
}

void ZOVLogger::WaitUntilIdle()
{
    LockGuard guard(m_lock, m_pfnWaitHook);
}

void ZOVLogger::SetLevel(LogLevel level, bool on)
{
    const int index = LevelFlagIndex(level);
    if (index >= 0)
        m_bLevelEnabled[index] = on;
}

void ZOVLogger::EnableAll()
{
    for (bool& enabled : m_bLevelEnabled)
        enabled = true;
}

bool ZOVLogger::IsEnabled(LogLevel level) const
{
    const int index = LevelFlagIndex(level);
    return index >= 0 && m_bLevelEnabled[index];
}

void ZOVLogger::WriteTagged(const void* /*context*/, LogLevel level, const wchar_t* text)
{
    Write(level, text);
}

void ZOVLogger::Write(LogLevel level, const wchar_t* text)
{
    if (!IsEnabled(level))
        return;
    LockGuard guard(m_lock, m_pfnWaitHook);
    LineBuffer line;
    ConvertToAnsiLine(line, text, CP_ACP);
    if (m_pfnSink != nullptr)
        m_pfnSink(line, LogKindForLevel(level));
}

void ZOVLogger::WriteTaggedFormat(const void* /*context*/, LogLevel level, const wchar_t* format, ...)
{
    // Formats before the level test, which Write makes.
    LockGuard guard(m_lock, m_pfnWaitHook);
    FormatBuffer message;
    va_list args;
    va_start(args, format);
    FormatLoggerMessage(message, format, args);
    va_end(args);
    Write(level, message);
}

void ZOVLogger::WriteFormat(LogLevel level, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteFormatList(level, format, args);
    va_end(args);
}

void ZOVLogger::WriteTaggedFormatList(const void* /*context*/, LogLevel level, const wchar_t* format,
                                      va_list args)
{
    WriteFormatList(level, format, args);
}

void ZOVLogger::WriteFormatList(LogLevel level, const wchar_t* format, va_list args)
{
    if (!IsEnabled(level))
        return;
    LockGuard guard(m_lock, m_pfnWaitHook);
    FormatBuffer message;
    FormatLoggerMessage(message, format, args);
    Write(level, message);
}

// One plain and one formatting entry per level.
#define ZOV_LOGGER_LEVEL_ENTRIES(Name, level)                                                                \
    void ZOVLogger::Name(const wchar_t* text)                                                                \
    {                                                                                                        \
        Write(level, text);                                                                                  \
    }                                                                                                        \
    void ZOVLogger::Name##Format(const wchar_t* format, ...)                                                 \
    {                                                                                                        \
        va_list args;                                                                                        \
        va_start(args, format);                                                                              \
        WriteFormatList(level, format, args);                                                                \
        va_end(args);                                                                                        \
    }

ZOV_LOGGER_LEVEL_ENTRIES(Fatal, Level::Fatal)
ZOV_LOGGER_LEVEL_ENTRIES(Error, Level::Error)
ZOV_LOGGER_LEVEL_ENTRIES(Warning, Level::Warning)
ZOV_LOGGER_LEVEL_ENTRIES(Info, Level::Info)
ZOV_LOGGER_LEVEL_ENTRIES(Debug, Level::Debug)
ZOV_LOGGER_LEVEL_ENTRIES(Trace, Level::Trace)

#undef ZOV_LOGGER_LEVEL_ENTRIES

} // namespace Marvane::NativeLogging
