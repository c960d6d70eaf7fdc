// ZOVNativeLogging.dll, the sample companion library: receives the logger of the
// process it is loaded into through ZOV_SetLogger and writes its diagnostics
// through the ILogger interface. A real companion library would report its own
// work the same way; this one reports on request (ZOVNL_WriteSampleDiagnostics).
#include "ILogger.h"
#include "sample_companion.h"

#include <windows.h>

#include <atomic>

using Marvane::NativeLogging::ILogger;

namespace
{

constexpr int kContextChars = 128;
constexpr DWORD kWithdrawWaitMs = 2000;

// Holds the logger the process handed over and keeps writers and withdrawal
// apart: a writer announces itself before it reads the pointer, and withdrawal
// clears the pointer and then waits until no writer is inside. The wait is bounded
// because a process that is ending has already stopped its other threads,
// possibly in the middle of a write, and they never leave.
class CLoggerSlot
{
public:
    void Attach(ILogger* pLogger) { m_pLogger.store(pLogger); }

    void Withdraw()
    {
        m_pLogger.store(nullptr);
        const DWORD dwStart = ::GetTickCount();
        while (m_nWriters.load() != 0 && ::GetTickCount() - dwStart < kWithdrawWaitMs)
            ::Sleep(1);
    }

    // Runs write(logger) if a logger is attached; false otherwise.
    template <typename Write> bool Use(Write write)
    {
        m_nWriters.fetch_add(1);
        ILogger* pLogger = m_pLogger.load();
        if (pLogger)
            write(*pLogger);
        m_nWriters.fetch_sub(1);
        return pLogger != nullptr;
    }

private:
    std::atomic<ILogger*> m_pLogger{nullptr};
    std::atomic<int> m_nWriters{0};
};

CLoggerSlot g_logger;

} // namespace

// The logger hook: called with the process's logger right after it is created,
// and with null before it is deleted.
extern "C" __declspec(dllexport) void __cdecl ZOV_SetLogger(ILogger* pLogger)
{
    if (!pLogger)
    {
        g_logger.Withdraw();
        return;
    }
    g_logger.Attach(pLogger);
    // Usually too early to be seen: the process has no console or pipe yet.
    g_logger.Use([](ILogger& logger) {
        logger.InfoFormat(L"ZOVNativeLogging: logger attached in process %lu", ::GetCurrentProcessId());
    });
}

extern "C" __declspec(dllexport) int __cdecl ZOVNL_WriteSampleDiagnostics(const char* pszContext)
{
    // The logger takes UTF-16; the context comes in the ANSI code page.
    wchar_t szContext[kContextChars] = L"";
    if (pszContext && !::MultiByteToWideChar(CP_ACP, 0, pszContext, -1, szContext, kContextChars))
        szContext[kContextChars - 1] = L'\0'; // too long: keep what was converted
    const DWORD dwThread = ::GetCurrentThreadId();
    const bool bWritten = g_logger.Use([&](ILogger& logger) {
        logger.InfoFormat(L"%ls: companion library ZOVNativeLogging writing through the logger (thread %lu)",
                          szContext, dwThread);
        logger.WarningFormat(L"%ls: sample warning from the companion library", szContext);
        logger.Error(L"Sample error from the companion library (a demonstration, nothing failed)");
    });
    return bWritten ? 1 : 0;
}
