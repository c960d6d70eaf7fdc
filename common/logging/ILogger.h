// The logging interface that the companion library calls. It calls by slot
// position with the Microsoft compiler's conventions, so the slot order, the
// argument lists and the calling conventions below are fixed: non-variadic
// slots are __thiscall (object in ECX, callee removes the arguments), variadic
// slots are __cdecl with the object as first stack argument (caller removes
// them). Names are never overloaded: overloads would reorder a Microsoft
// virtual table. There is no virtual destructor; owners delete the concrete
// type.
#pragma once

#include "LogLevelValues.h"

#include <cstdarg>

namespace Marvane::NativeLogging
{

class ILogger
{
public:
    // Slot 0: false for a value that is no level.
    virtual bool __thiscall IsEnabled(LogLevel level) const = 0;
    // Slots 1-2. The context argument of the tagged forms is ignored.
    virtual void __thiscall WriteTagged(const void* context, LogLevel level, const wchar_t* text) = 0;
    virtual void __thiscall Write(LogLevel level, const wchar_t* text) = 0;
    // Slots 3-6: printf-style wide formats, Microsoft rules (%s reads a wide string).
    virtual void __cdecl WriteTaggedFormat(const void* context, LogLevel level, const wchar_t* format,
                                           ...) = 0;
    virtual void __cdecl WriteFormat(LogLevel level, const wchar_t* format, ...) = 0;
    virtual void __thiscall WriteTaggedFormatList(const void* context, LogLevel level, const wchar_t* format,
                                                  va_list args) = 0;
    virtual void __thiscall WriteFormatList(LogLevel level, const wchar_t* format, va_list args) = 0;
    // Slots 7-18: one plain and one formatting entry per level.
    virtual void __thiscall Fatal(const wchar_t* text) = 0;
    virtual void __cdecl FatalFormat(const wchar_t* format, ...) = 0;
    virtual void __thiscall Error(const wchar_t* text) = 0;
    virtual void __cdecl ErrorFormat(const wchar_t* format, ...) = 0;
    virtual void __thiscall Warning(const wchar_t* text) = 0;
    virtual void __cdecl WarningFormat(const wchar_t* format, ...) = 0;
    virtual void __thiscall Info(const wchar_t* text) = 0;
    virtual void __cdecl InfoFormat(const wchar_t* format, ...) = 0;
    virtual void __thiscall Debug(const wchar_t* text) = 0;
    virtual void __cdecl DebugFormat(const wchar_t* format, ...) = 0;
    virtual void __thiscall Trace(const wchar_t* text) = 0;
    virtual void __cdecl TraceFormat(const wchar_t* format, ...) = 0;

protected:
    ILogger() = default;
    ~ILogger() = default;
};

constexpr int kLoggerSlotCount = 19;

} // namespace Marvane::NativeLogging
