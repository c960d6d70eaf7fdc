#include "MonitorIdentity.h"

namespace
{

// Far longer than any installation's Tessaly.exe (its folder comes from a
// 500-byte registry value); a longer program path cannot be the monitor.
constexpr DWORD kImagePathChars = 1024;

struct FileIdentity
{
    DWORD dwVolumeSerial = 0;
    DWORD dwIndexHigh = 0;
    DWORD dwIndexLow = 0;
};

// The volume serial number and file index identify a file on one computer while
// it is open; the server's program is open as long as the server runs.
bool IdentifyFile(const char* pszPath, FileIdentity& identity)
{
    const HANDLE hFile = CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool bKnown = GetFileInformationByHandle(hFile, &info) != FALSE;
    CloseHandle(hFile);
    identity.dwVolumeSerial = info.dwVolumeSerialNumber;
    identity.dwIndexHigh = info.nFileIndexHigh;
    identity.dwIndexLow = info.nFileIndexLow;
    return bKnown;
}

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
    FileIdentity server;
    FileIdentity expected;
    return ServerProgramOf(hPipe, szServerProgram) && IdentifyFile(szServerProgram, server) &&
           IdentifyFile(pszProgram, expected) && server.dwVolumeSerial == expected.dwVolumeSerial &&
           server.dwIndexHigh == expected.dwIndexHigh && server.dwIndexLow == expected.dwIndexLow;
}
