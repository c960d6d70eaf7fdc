#include "ShowLogLine.h"

#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "ProcessPipeCommand.h"
#include "RequestBuilder.h"
#include "TimeStamp.h"

void ShowLogLine(const char* pszText, int nKind)
{
    char szStamp[Protocol::kTimeStampBytes];
    Protocol::MakeTimeStamp(szStamp);
    Protocol::RequestBuffer line;
    // No log name and id: the short layout, word included ("SINFO;[[stamp]]-> text").
    Protocol::BuildLogRequest(line, nKind, szStamp, "", 0, pszText);
    MainWindowLink().SendConsoleLine(kConsoleClientInfo, line);
}
