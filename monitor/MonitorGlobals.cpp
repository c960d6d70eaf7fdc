#include "MonitorGlobals.h"

#include "MainWindowLink.h"
#include "ZOVLogger.h"

#include <atomic>

HANDLE g_hClientTableMutex = nullptr;
HANDLE g_hMonitorMutex = nullptr;
UINT g_uAppMonUpdateMessage = 0;
// Constructed before, and destroyed after, objects of default priority: the
// application object, a static object elsewhere, fills them in its constructor.
std::string g_strMessageFile __attribute__((init_priority(1000)));
std::string g_strMessageSection __attribute__((init_priority(1000)));
Marvane::NativeLogging::ZOVLogger* g_pLogger = nullptr;
ClientTable g_clientTable __attribute__((init_priority(1000)));

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
