#include "MonitorGlobals.h"

#include "MainWindowLink.h"
#include "ZOVLogger.h"

#include <atomic>

HANDLE g_hClientTableMutex = nullptr;
HANDLE g_hMonitorMutex = nullptr;
UINT g_uAppMonUpdateMessage = 0;
namespace
{

// Holds a T that is made like any static object but never destroyed.
template <class T>
union NeverDestroyed
{
    NeverDestroyed() : value() {}
    ~NeverDestroyed() {}
    T value;
};

// Made before objects of default priority (the application object, a static
// object elsewhere, fills them in its constructor) and never destroyed: a
// connection thread still at work when the process ends (it is killed only after
// the static objects are gone) may yet look a text up.
NeverDestroyed<std::string> s_messageFile __attribute__((init_priority(1000)));
NeverDestroyed<std::string> s_messageSection __attribute__((init_priority(1000)));

} // namespace

std::string& g_strMessageFile = s_messageFile.value;
std::string& g_strMessageSection = s_messageSection.value;
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
