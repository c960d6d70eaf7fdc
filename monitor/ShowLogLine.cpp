#include "ShowLogLine.h"

#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "ProcessPipeCommand.h"
#include "RequestBuilder.h"
#include "TimeStamp.h"

#include <cstdlib>
#include <memory>

namespace
{

struct FreeDeleter
{
    void operator()(char* p) const { std::free(p); }
};

// How long the window's thread waits for a sent message before it tries the
// logger's lock again.
constexpr DWORD kLoggerLockRetryMs = 1;

} // namespace

void ShowLogLine(const char* pszText, int nKind)
{
    char szStamp[Protocol::kTimeStampBytes];
    Protocol::MakeTimeStamp(szStamp);
    // No log name and id: the short layout, word included ("SINFO;[[stamp]]-> text").
    // The line holds the whole text; only when memory has run out is it cut to
    // the size of a request.
    const std::size_t cbLine = Protocol::ShortLogLineLength(nKind, szStamp, pszText) + 1;
    std::unique_ptr<char, FreeDeleter> pLine(static_cast<char*>(std::malloc(cbLine)));
    Protocol::RequestBuffer fallback;
    char* pszLine = pLine ? pLine.get() : fallback;
    Protocol::BuildLogLine(pszLine, pLine ? cbLine : sizeof(fallback), nKind, szStamp, "", 0, pszText);
    MainWindowLink().SendConsoleLine(kConsoleClientInfo, pszLine);
}

bool ServeWindowWhileLoggerBusy()
{
    if (!MainWindowLink().IsWindowThread())
        return false;
    // The thread that holds the logger may be waiting at the line gate for this
    // thread to handle its posted messages, which it does not do while it waits
    // here: let that line through.
    MainWindowLink().LineGate().Open();
    // Or its line waits in the queue for this thread to drain it.
    MainWindowLink().DrainLinesOnWindowThread();
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kLoggerLockRetryMs, QS_SENDMESSAGE);
    return true;
}

Marvane::NativeLogging::LoggingSetup ConfigureMonitorLogging(Marvane::NativeLogging::LoggerSet& loggers,
                                                             Marvane::NativeLogging::LoggerHook hook)
{
    using namespace Marvane::NativeLogging;
    return ConfigureLoggingFromEnvironment(LoggerNames::Monitor, loggers, &ShowLogLine, hook,
                                           &ServeWindowWhileLoggerBusy);
}
