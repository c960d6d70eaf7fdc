// The process's logger: filters by level, formats and converts each message to
// an ANSI line and hands it, with its log kind, to the program's line builder.
// One recursive lock serialises whole lines, so lines from different threads
// never mix and a formatting slot may call Write while holding it.
#pragma once

#include "ILogger.h"
#include "LogLevels.h"

#include <windows.h>

namespace Marvane::NativeLogging
{

// Where finished lines go: the monitor shows them in its console, the client
// library forwards them over the pipe. kind is a Protocol::LogKind.
using LogLineSink = void (*)(const char* text, int kind);

// For a sink that waits for another thread (the monitor's sends to its window):
// a thread that finds the lock taken calls this instead of blocking, again and
// again while it returns true, and tries the lock after each call. The hook lets
// the thread that the sink waits for go on serving while it waits; otherwise a
// line in the middle of its sink and that thread would wait for each other for
// ever. It returns false for threads that may simply block.
using LockWaitHook = bool (*)();

class ZOVLogger final : public ILogger
{
public:
    // Every level starts off; a null sink drops every line. Without a wait hook
    // every thread blocks on the lock.
    explicit ZOVLogger(LogLineSink sink, LockWaitHook waitHook = nullptr);
    ~ZOVLogger();

    ZOVLogger(const ZOVLogger&) = delete;
    ZOVLogger& operator=(const ZOVLogger&) = delete;

    // Configuration, used while the program starts; a value that is no level
    // is ignored.
    void SetLevel(LogLevel level, bool on);
    void EnableAll();
    // Returns once no call is inside the logger (the one under way, if any, has
    // written its line); waits as a writer would, wait hook included.
    void WaitUntilIdle();

    bool __thiscall IsEnabled(LogLevel level) const override;
    void __thiscall WriteTagged(const void* context, LogLevel level, const wchar_t* text) override;
    void __thiscall Write(LogLevel level, const wchar_t* text) override;
    void __cdecl WriteTaggedFormat(const void* context, LogLevel level, const wchar_t* format, ...) override;
    void __cdecl WriteFormat(LogLevel level, const wchar_t* format, ...) override;
    void __thiscall WriteTaggedFormatList(const void* context, LogLevel level, const wchar_t* format,
                                          va_list args) override;
    void __thiscall WriteFormatList(LogLevel level, const wchar_t* format, va_list args) override;
    void __thiscall Fatal(const wchar_t* text) override;
    void __cdecl FatalFormat(const wchar_t* format, ...) override;
    void __thiscall Error(const wchar_t* text) override;
    void __cdecl ErrorFormat(const wchar_t* format, ...) override;
    void __thiscall Warning(const wchar_t* text) override;
    void __cdecl WarningFormat(const wchar_t* format, ...) override;
    void __thiscall Info(const wchar_t* text) override;
    void __cdecl InfoFormat(const wchar_t* format, ...) override;
    void __thiscall Debug(const wchar_t* text) override;
    void __cdecl DebugFormat(const wchar_t* format, ...) override;
    void __thiscall Trace(const wchar_t* text) override;
    void __cdecl TraceFormat(const wchar_t* format, ...) override;

private:
    class LockGuard;

    bool m_bLevelEnabled[kLevelCount] = {};
    CRITICAL_SECTION m_lock;
    LogLineSink m_pfnSink;
    LockWaitHook m_pfnWaitHook;
};

} // namespace Marvane::NativeLogging
