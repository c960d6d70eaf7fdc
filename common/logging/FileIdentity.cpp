#include "FileIdentity.h"

#include <windows.h>

#include <cstring>

namespace
{

// FileIdInfo and its record, as Windows 8 and later define them (the headers
// offer them only to programs that require Windows 8; older systems refuse the
// class, and the file index serves).
constexpr FILE_INFO_BY_HANDLE_CLASS kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct FileIdInfoRecord
{
    ULONGLONG ullVolumeSerialNumber;
    BYTE fileId[16];
};

struct FileIdentity
{
    // The 128-bit file id with its 64-bit volume serial number (FileIdInfo),
    // where the file system answers for it: 64-bit file indexes are not unique on
    // ReFS.
    bool bHasFileId = false;
    FileIdInfoRecord fileId = {};
    // The 64-bit file index with the 32-bit volume serial number, everywhere.
    DWORD dwVolumeSerial = 0;
    DWORD dwIndexHigh = 0;
    DWORD dwIndexLow = 0;

    bool SameFileAs(const FileIdentity& other) const
    {
        if (bHasFileId && other.bHasFileId)
            return fileId.ullVolumeSerialNumber == other.fileId.ullVolumeSerialNumber &&
                   std::memcmp(fileId.fileId, other.fileId.fileId, sizeof(fileId.fileId)) == 0;
        return dwVolumeSerial == other.dwVolumeSerial && dwIndexHigh == other.dwIndexHigh &&
               dwIndexLow == other.dwIndexLow;
    }
};

// A file's identity holds on one computer while the file is open (a running
// program's file is open as long as it runs).
bool IdentifyFile(const char* pszPath, FileIdentity& identity)
{
    const HANDLE hFile = CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    identity.bHasFileId =
        GetFileInformationByHandleEx(hFile, kFileIdInfo, &identity.fileId, sizeof(identity.fileId)) != FALSE;
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool bKnown = GetFileInformationByHandle(hFile, &info) != FALSE;
    CloseHandle(hFile);
    identity.dwVolumeSerial = info.dwVolumeSerialNumber;
    identity.dwIndexHigh = info.nFileIndexHigh;
    identity.dwIndexLow = info.nFileIndexLow;
    return bKnown;
}

} // namespace

bool Install::IsSameFile(const char* pszFirst, const char* pszSecond)
{
    FileIdentity first;
    FileIdentity second;
    return pszFirst && pszSecond && IdentifyFile(pszFirst, first) && IdentifyFile(pszSecond, second) &&
           first.SameFileAs(second);
}
