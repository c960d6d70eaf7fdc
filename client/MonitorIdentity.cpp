#include "MonitorIdentity.h"

#include "FileIdentity.h"

namespace
{

// Far longer than any installation's Tessaly.exe (its folder comes from a
// 500-byte registry value); a longer program path cannot be the monitor.
constexpr DWORD kImagePathChars = 1024;

bool ServerProgramOf(HANDLE hPipe, char (&szPath)[kImagePathChars])
{
    ULONG ulProcessId = 0;
    if (!GetNamedPipeServerProcessId(hPipe, &ulProcessId))
        return false;
    const HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ulProcessId);
    if (!hProcess)
        return false;
    DWORD cchPath = kImagePathChars;
    const bool bKnown = QueryFullProcessImageNameA(hProcess, 0, szPath, &cchPath) != FALSE;
    CloseHandle(hProcess);
    return bKnown;
}

} // namespace

bool IsPipeServedBy(HANDLE hPipe, const char* pszProgram)
{
    if (!pszProgram || !*pszProgram)
        return false;
    char szServerProgram[kImagePathChars] = "";
    return ServerProgramOf(hPipe, szServerProgram) && Install::IsSameFile(szServerProgram, pszProgram);
}
