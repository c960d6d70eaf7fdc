#include "MonitorGlobals.h"

#include "MainWindowLink.h"
#include "ZOVLogger.h"

#include <atomic>

HANDLE g_hClientTableMutex = nullptr;
HANDLE g_hMonitorMutex = nullptr;
UINT g_uAppMonUpdateMessage = 0;
std::string g_strMessageFile;
std::string g_strMessageSection;
Marvane::NativeLogging::ZOVLogger* g_pLogger = nullptr;
ClientTable g_clientTable;

namespace
{
std::atomic<bool> g_bLoggerShowsClientLines{true};
}

CMainWindowLink& MainWindowLink()
{
    static CMainWindowLink* const s_pLink = new CMainWindowLink;
    return *s_pLink;
}

bool LoggerShowsClientLines()
{
    return g_bLoggerShowsClientLines.load();
}

void CaptureLoggerGate()
{
    g_bLoggerShowsClientLines =
        g_pLogger == nullptr || g_pLogger->IsEnabled(Marvane::NativeLogging::Level::Info);
}
