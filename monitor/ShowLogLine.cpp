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

