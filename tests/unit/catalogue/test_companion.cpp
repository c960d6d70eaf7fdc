// Stand-in for the companion library: records the logger it is handed. Built
// twice, with and without the logger hook.
//
// For tests of whole programs, the environment of the process it is loaded into
// can ask for more (the hook variant only):
//   TEST_COMPANION_RECORD       a file that gets one line per hook call: "logger"
//                               for a logger, "null" for the withdrawal;
//   TEST_COMPANION_WRITE_EVENT  the name of an auto-reset event: each time it is
//                               set, the logger held writes one Info line (a line
//                               written before the program can show it is lost).
#include "ILogger.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace
{
std::atomic<Marvane::NativeLogging::ILogger*> g_pLastLogger{nullptr};

#ifdef WITH_LOGGER_HOOK
constexpr DWORD kWriteWaitLimitMs = 60000;

void RecordHookCall(const char* pszLine)
{
    char szPath[MAX_PATH];
    const DWORD cch = ::GetEnvironmentVariableA("TEST_COMPANION_RECORD", szPath, sizeof szPath);
    if (cch == 0 || cch >= sizeof szPath)
        return;
    if (std::FILE* pFile = std::fopen(szPath, "ab"))
    {
        std::fprintf(pFile, "%s\n", pszLine);
        std::fclose(pFile);
    }
}

DWORD WINAPI WriteWhenAsked(LPVOID pEvent)
{
    const HANDLE hEvent = static_cast<HANDLE>(pEvent);
    while (::WaitForSingleObject(hEvent, kWriteWaitLimitMs) == WAIT_OBJECT_0)
    {
        if (Marvane::NativeLogging::ILogger* pLogger = g_pLastLogger.load())
            pLogger->Info(L"written by the test companion");
    }
    ::CloseHandle(hEvent);
    return 0;
}

void StartWriterIfAsked()
{
    char szName[MAX_PATH];
    const DWORD cch = ::GetEnvironmentVariableA("TEST_COMPANION_WRITE_EVENT", szName, sizeof szName);
    if (cch == 0 || cch >= sizeof szName)
        return;
    const HANDLE hEvent = ::OpenEventA(SYNCHRONIZE, FALSE, szName);
    if (!hEvent)
        return;
    if (const HANDLE hThread = ::CreateThread(nullptr, 0, &WriteWhenAsked, hEvent, 0, nullptr))
        ::CloseHandle(hThread);
    else
        ::CloseHandle(hEvent);
}
#endif
} // namespace

#ifdef WITH_LOGGER_HOOK
extern "C" __declspec(dllexport) void __cdecl ZOV_SetLogger(Marvane::NativeLogging::ILogger* pLogger)
{
    static bool s_bWriterStarted = false;
    g_pLastLogger = pLogger;
    RecordHookCall(pLogger ? "logger" : "null");
    if (pLogger && !s_bWriterStarted)
    {
        s_bWriterStarted = true;
        StartWriterIfAsked();
    }
}
#endif

extern "C" __declspec(dllexport) Marvane::NativeLogging::ILogger* __cdecl TestCompanion_LastLogger()
{
    return g_pLastLogger;
}
