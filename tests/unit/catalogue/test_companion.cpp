// Stand-in for the companion library: records the logger it is handed. Built
// twice, with and without the logger hook. When the environment variable
// TEST_COMPANION_RECORD names a file, the hook also appends one line per call to
// it, for tests of whole programs: "logger" for a logger, and for a withdrawal
// "null" with the Info and Debug levels of the logger held until then (which is
// still alive, and whose levels tell whose logger it is).
#include "ILogger.h"

#include <windows.h>

#include <cstdio>

namespace
{
Marvane::NativeLogging::ILogger* g_pLastLogger = nullptr;

#ifdef WITH_LOGGER_HOOK
void RecordHookCall(Marvane::NativeLogging::ILogger* pLogger, Marvane::NativeLogging::ILogger* pHeld)
{
    namespace Level = Marvane::NativeLogging::Level;
    char szPath[MAX_PATH];
    const DWORD cch = ::GetEnvironmentVariableA("TEST_COMPANION_RECORD", szPath, sizeof szPath);
    if (cch == 0 || cch >= sizeof szPath)
        return;
    if (std::FILE* pFile = std::fopen(szPath, "ab"))
    {
        if (pLogger)
            std::fprintf(pFile, "logger\n");
        else if (pHeld)
            std::fprintf(pFile, "null after Info=%d Debug=%d\n", pHeld->IsEnabled(Level::Info),
                         pHeld->IsEnabled(Level::Debug));
        else
            std::fprintf(pFile, "null\n");
        std::fclose(pFile);
    }
}
#endif
} // namespace

#ifdef WITH_LOGGER_HOOK
extern "C" __declspec(dllexport) void __cdecl ZOV_SetLogger(Marvane::NativeLogging::ILogger* pLogger)
{
    RecordHookCall(pLogger, g_pLastLogger);
    g_pLastLogger = pLogger;
}
#endif

extern "C" __declspec(dllexport) Marvane::NativeLogging::ILogger* __cdecl TestCompanion_LastLogger()
{
    return g_pLastLogger;
}
