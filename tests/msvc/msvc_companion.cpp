// A companion library built in Microsoft mode (clang for *-pc-windows-msvc, no C
// runtime): it calls every ILogger slot through the virtual table the way a
// Visual C++ companion does, so a test can see that each reaches the right
// member with its arguments intact.
#include "ILogger.h"

using namespace Marvane::NativeLogging;

namespace
{

void WriteTaggedFormatList(ILogger& logger, const void* context, LogLevel level, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    logger.WriteTaggedFormatList(context, level, format, args);
    va_end(args);
}

void WriteFormatList(ILogger& logger, LogLevel level, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    logger.WriteFormatList(level, format, args);
    va_end(args);
}

} // namespace

// One call per slot, in slot order; returns how many IsEnabled calls answered
// differently from what the logger's levels say (every level on; 7 is none).
extern "C" __declspec(dllexport) int __cdecl CallEverySlot(ILogger* logger)
{
    static const int context = 0;
    int nWrongAnswers = 0;
    if (!logger->IsEnabled(Level::Info) || logger->IsEnabled(7))
        ++nWrongAnswers;
    logger->WriteTagged(&context, Level::Error, L"tagged");
    logger->Write(Level::Warning, L"write");
    logger->WriteTaggedFormat(&context, Level::Trace, L"%s=%d", L"tf", 3);
    logger->WriteFormat(Level::Fatal, L"%d/%d", 1, 2);
    WriteTaggedFormatList(*logger, &context, Level::Info, L"%s|%d", L"list", 5);
    WriteFormatList(*logger, Level::Error, L"n=%d %I64d", 77, 0x123456789LL);
    logger->Fatal(L"fatal");
    logger->FatalFormat(L"fatal %d", 8);
    logger->Error(L"error");
    logger->ErrorFormat(L"error %d %d", 10, 11);
    logger->Warning(L"warning");
    logger->WarningFormat(L"warning %s", L"12");
    logger->Info(L"info");
    logger->InfoFormat(L"info %p", reinterpret_cast<void*>(0x1234567890ABull));
    logger->Debug(L"debug");
    logger->DebugFormat(L"debug %d", 16);
    logger->Trace(L"trace");
    logger->TraceFormat(L"trace %d%d%d", 1, 8, 0);
    return nWrongAnswers;
}
